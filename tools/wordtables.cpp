// wordtables: turns the word files (UTF-8, one entry a line; the format is
// in doc/word-files.md) into constant rows of Windows-1252 bytes, checking
// every count, width and byte rule so that a mistyped list fails the build
// instead of changing a fragment.
//
//   wordtables OUTDIR FILE.words...
//
// For each FILE.words it writes OUTDIR/FILE_words.h with one
// `inline constexpr char NAME[N][W]` per table, and OUTDIR/all_tables.h,
// an index of every table for the checks of the test suite.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Table {
    std::string name;
    int entries = 0;
    int width = 0;
    bool upper_initial = false;
    std::vector<std::string> capitalised;  // exceptions to the table's initial
    std::vector<std::string> rows;         // Windows-1252 bytes
    std::string where;                     // file:line of the header
};

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    std::cerr << where << ": error: " << what << '\n';
    std::exit(1);
}

// The only letters above ASCII that a word table may hold: the seven
// lower-case Spanish letters á é í ó ú ü ñ, as Windows-1252 bytes.
constexpr unsigned char kAccented[] = {0xE1, 0xE9, 0xED, 0xF3, 0xFA, 0xFC, 0xF1};

// The Windows-1252 byte of the two-byte UTF-8 letter b1 b2, if it is one of
// them. C3 80..BF encodes U+00C0..U+00FF, whose Windows-1252 byte is the
// code point itself.
std::optional<unsigned char> accented(unsigned char b1, unsigned char b2) {
    if (b1 != 0xC3 || b2 < 0x80 || b2 > 0xBF) return std::nullopt;
    const auto byte = static_cast<unsigned char>(b2 + 0x40);
    for (const unsigned char allowed : kAccented)
        if (byte == allowed) return byte;
    return std::nullopt;
}

std::string to_cp1252(const std::string& utf8, const std::string& where) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x20 || b == 0x7F) fail(where, "control character in entry");
        if (b < 0x80) {
            out += static_cast<char>(b);
            continue;
        }
        if (i + 1 >= utf8.size()) fail(where, "character not allowed in a word table (only á é í ó ú ü ñ above ASCII)");
        const auto c = accented(b, static_cast<unsigned char>(utf8[i + 1]));
        if (!c) fail(where, "character not allowed in a word table (only á é í ó ú ü ñ above ASCII)");
        out += static_cast<char>(*c);
        ++i;
    }
    return out;
}

std::map<std::string, std::string> parse_fields(std::istringstream& in, const std::string& where) {
    std::map<std::string, std::string> fields;
    std::string field;
    while (in >> field) {
        const auto eq = field.find('=');
        if (eq == std::string::npos) fail(where, "header field without '=': " + field);
        fields[field.substr(0, eq)] = field.substr(eq + 1);
    }
    return fields;
}

int positive(const std::map<std::string, std::string>& f, const char* key, const std::string& where) {
    const auto it = f.find(key);
    if (it == f.end()) fail(where, std::string("header lacks ") + key + "=");
    char* end = nullptr;
    const long v = std::strtol(it->second.c_str(), &end, 10);
    if (*end != '\0' || v <= 0 || v > 100000) fail(where, std::string("bad ") + key + "=" + it->second);
    return static_cast<int>(v);
}

std::vector<Table> read_words(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(path, "cannot open");
    std::vector<Table> tables;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::string where = path + ":" + std::to_string(number);
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("table ", 0) == 0) {
            std::istringstream header(line.substr(6));
            Table t;
            t.where = where;
            header >> t.name;
            auto f = parse_fields(header, where);
            t.entries = positive(f, "entries", where);
            t.width = positive(f, "width", where);
            if (f["initial"] == "upper")
                t.upper_initial = true;
            else if (f["initial"] != "lower")
                fail(where, "initial= must be upper or lower");
            std::istringstream caps(f["capitalised"]);
            for (std::string w; std::getline(caps, w, ',');) t.capitalised.push_back(to_cp1252(w, where));
            tables.push_back(std::move(t));
            continue;
        }
        if (tables.empty()) fail(where, "entry before any table header");
        if (line.back() == '\r') fail(where, "carriage return: save the file with plain line feeds");
        if (line.front() == ' ' || line.back() == ' ') fail(where, "entry begins or ends with a blank");
        tables.back().rows.push_back(to_cp1252(line, where));
    }
    return tables;
}

bool is_upper(unsigned char c) { return c >= 'A' && c <= 'Z'; }

void check(const Table& t) {
    if (static_cast<int>(t.rows.size()) != t.entries)
        fail(t.where, t.name + ": header says " + std::to_string(t.entries) + " entries, the list has " +
                          std::to_string(t.rows.size()));
    std::size_t longest = 0;
    for (std::size_t i = 0; i < t.rows.size(); ++i) {
        const std::string& r = t.rows[i];
        const std::string row = t.name + " row " + std::to_string(i);
        if (r.empty()) fail(t.where, row + " is empty");
        longest = std::max(longest, r.size());
        for (std::size_t k = 1; k < r.size(); ++k)
            if (is_upper(static_cast<unsigned char>(r[k]))) fail(t.where, row + ": capital letter inside an entry");
        bool exception = false;
        for (const auto& c : t.capitalised) exception |= (c == r);
        const bool upper = is_upper(static_cast<unsigned char>(r[0]));
        if (upper != (t.upper_initial != exception))
            fail(t.where, row + ": initial letter breaks the table's initial= rule");
    }
    if (static_cast<int>(longest) + 1 != t.width)
        fail(t.where, t.name + ": header says width " + std::to_string(t.width) + ", the longest entry needs " +
                          std::to_string(longest + 1));
}

// Octal escapes: unlike \x, they never swallow a following letter.
std::string literal(const std::string& bytes) {
    std::string out = "\"";
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 || b == '"' || b == '\\' || b == '?') {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\%03o", b);
            out += esc;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string stem_of(const std::string& path) {
    const auto slash = path.find_last_of('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = base.find('.');
    return base.substr(0, dot);
}

void write_file(const std::string& path, const std::string& text) {
    // Rewrite only when the text changed, so that a regeneration does not
    // rebuild every family for nothing.
    std::ifstream old(path, std::ios::binary);
    if (old) {
        std::stringstream s;
        s << old.rdbuf();
        if (s.str() == text) return;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) fail(path, "cannot write");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: wordtables OUTDIR FILE.words...\n";
        return 2;
    }
    const std::string outdir = argv[1];
    std::string index_includes, index_rows;
    std::map<std::string, std::string> names;  // table name -> where, to catch duplicates
    for (int a = 2; a < argc; ++a) {
        const std::string path = argv[a];
        const std::string stem = stem_of(path);
        const auto tables = read_words(path);
        std::ostringstream h;
        h << "// Generated by wordtables from " << stem << ".words; edit that file, not this one.\n"
          << "#pragma once\n\nnamespace versos::tablas {\n";
        for (const auto& t : tables) {
            check(t);
            if (!names.emplace(t.name, t.where).second) fail(t.where, t.name + " is defined twice");
            h << "\ninline constexpr char " << t.name << "[" << t.entries << "][" << t.width << "] = {\n";
            for (const auto& r : t.rows) h << "    " << literal(r) << ",\n";
            h << "};\n";
            index_rows += "    {\"" + t.name + "\", &" + t.name + "[0][0], " + std::to_string(t.entries) + ", " +
                          std::to_string(t.width) + "},\n";
        }
        h << "\n}  // namespace versos::tablas\n";
        write_file(outdir + "/" + stem + "_words.h", h.str());
        index_includes += "#include \"" + stem + "_words.h\"\n";
    }
    std::ostringstream idx;
    idx << "// Generated by wordtables: every word table, for the checks of the test suite.\n"
        << "#pragma once\n\n"
        << index_includes << "\nnamespace versos::tablas {\n\n"
        << "struct TableIndexEntry {\n    const char* name;\n    const char* rows;\n    int entries;\n    int "
           "width;\n};\n\n"
        << "inline constexpr TableIndexEntry all_tables[] = {\n"
        << index_rows << "};\n\n"
        << "}  // namespace versos::tablas\n";
    write_file(outdir + "/all_tables.h", idx.str());
    return 0;
}
