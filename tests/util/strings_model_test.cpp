// Search, replacement and removal against straightforward models built on
// the standard library, over many random texts.
#include <versos/util.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace versos;

namespace {

class RandomTexts : public ::testing::Test {
protected:
    std::mt19937 rng{20240611};

    // Few distinct letters, so that parts match often and runs form; now and
    // then a blank or a byte from the upper half.
    std::string text(int max_len, const char* letters = "aab")
    {
        const int len = static_cast<int>(rng() % static_cast<unsigned>(max_len + 1));
        const std::size_t n = std::strlen(letters);
        std::string s;
        for (int i = 0; i < len; ++i) {
            const unsigned pick = rng() % 20;
            if (pick == 0)
                s += ' ';
            else if (pick == 1)
                s += '\xe1';
            else
                s += letters[rng() % n];
        }
        return s;
    }

    int below(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
};

// A NUL-terminated copy with room to grow, and a check that nothing was
// written beyond the room the result needs.
struct Buf {
    std::vector<char> bytes;
    Buf(const std::string& s, std::size_t room) : bytes(s.size() + room + 1, '\x7f')
    {
        std::memcpy(bytes.data(), s.c_str(), s.size() + 1);
    }
    char* p() { return bytes.data(); }
    std::string s() const { return bytes.data(); }
    bool untouched_after(std::size_t n) const
    {
        return std::all_of(bytes.begin() + static_cast<long>(n), bytes.end(), [](char c) { return c == '\x7f'; });
    }
};

// Leftmost, non-overlapping replacement from index start, at most limit
// times (negative: no limit); returns the number of replacements.
int replace_model(std::string& s, const std::string& old_part, const std::string& new_part, std::size_t start, int limit)
{
    if (start > s.size())
        return 0;
    int done = 0;
    std::size_t at = start;
    while (limit < 0 || done < limit) {
        at = s.find(old_part, at);
        if (at == std::string::npos)
            break;
        s.replace(at, old_part.size(), new_part);
        at += new_part.size();
        ++done;
    }
    return done;
}

}  // namespace

TEST_F(RandomTexts, SearchAgreesWithFind)
{
    for (int round = 0; round < 5000; ++round) {
        const std::string t = text(12);
        const std::string part = text(3);
        const int start = below(15) - 1;
        const std::size_t from = start < 0 ? 0 : static_cast<std::size_t>(start);
        long expected = -1;
        if (from < t.size()) {
            const std::size_t f = t.find(part, from);
            expected = f == std::string::npos ? -1 : static_cast<long>(f);
        }
        ASSERT_EQ(instrn_(t.c_str(), part.c_str(), start), expected) << t << " / " << part << " @" << start;
        if (start >= 1) {
            const long expected_abs = instrn_(t.c_str(), part.c_str(), start - 1) + 1;
            ASSERT_EQ(instrabsn_(t.c_str(), part.c_str(), start), expected_abs);
        }
        const std::size_t first = t.find(part);
        ASSERT_EQ(instrabs_(t.c_str(), part.c_str()), !t.empty() && first != std::string::npos ? static_cast<int>(first) + 1 : 0);
    }
}

TEST_F(RandomTexts, CharacterRemovalAgreesWithAlgorithms)
{
    for (int round = 0; round < 3000; ++round) {
        const std::string t = text(20, "abc");
        const char c = "abc \xe1"[below(5)];

        Buf one(t, 0);
        quitachar(one.p(), c);
        std::string expected = t;
        std::erase(expected, c);
        ASSERT_EQ(one.s(), expected);

        const std::string set = text(3, "abc");
        Buf several(t, 0);
        quitavarioschar_(several.p(), set.c_str());
        expected = t;
        std::erase_if(expected, [&set](char x) { return set.find(x) != std::string::npos; });
        ASSERT_EQ(several.s(), expected);

        Buf runs(t, 0);
        qdup_(runs.p(), c);
        expected = t;
        expected.erase(std::unique(expected.begin(), expected.end(), [c](char x, char y) { return x == c && y == c; }),
                       expected.end());
        ASSERT_EQ(runs.s(), expected);

        Buf firsts(t, 0);
        sindupstr_(firsts.p());
        expected.clear();
        for (std::size_t i = 0; i < t.size(); ++i)
            if (t.find(t[i]) == i)
                expected += t[i];
        ASSERT_EQ(firsts.s(), expected);

        Buf reversed(t, 0);
        revstr_(reversed.p());
        ASSERT_EQ(reversed.s(), std::string(t.rbegin(), t.rend()));

        Buf trimmed(t, 0);
        trim_(trimmed.p());
        const std::size_t b = t.find_first_not_of(' ');
        ASSERT_EQ(trimmed.s(), b == std::string::npos ? "" : t.substr(b, t.find_last_not_of(' ') - b + 1));
    }
}

TEST_F(RandomTexts, WindowedRunsAgreeWithModel)
{
    for (int round = 0; round < 3000; ++round) {
        const std::string t = text(15, "ab");
        const int from = below(18) - 1;
        const int to = below(18) - 1;
        Buf b(t, 0);
        const int removed = qdupn_(b.p(), 'a', from, to);
        std::string expected = t;
        if (from > 0 && to >= from && static_cast<std::size_t>(from) <= t.size()) {
            const std::size_t first = static_cast<std::size_t>(from - 1);
            const std::size_t end = std::min(t.size(), static_cast<std::size_t>(to));
            std::string window = t.substr(first, end - first);
            window.erase(std::unique(window.begin(), window.end(), [](char x, char y) { return x == 'a' && y == 'a'; }),
                         window.end());
            expected = t.substr(0, first) + window + t.substr(end);
        }
        ASSERT_EQ(b.s(), expected) << t << " " << from << ".." << to;
        ASSERT_EQ(removed, static_cast<int>(t.size() - expected.size()));
    }
}

TEST_F(RandomTexts, SubstringRemovalAgreesWithModel)
{
    for (int round = 0; round < 5000; ++round) {
        const std::string t = text(16);
        std::string part = text(3);
        if (part.empty())
            part.push_back('a');
        const int start = below(19) - 1;
        Buf b(t, 0);
        quitastr_(b.p(), part.c_str(), start);
        std::string expected = t;
        replace_model(expected, part, "", start < 0 ? 0 : static_cast<std::size_t>(start), -1);
        ASSERT_EQ(b.s(), expected) << t << " - " << part << " @" << start;
    }
}

TEST_F(RandomTexts, OnePassReplacementAgreesWithModel)
{
    for (int round = 0; round < 5000; ++round) {
        const std::string t = text(16);
        std::string old_part = text(3);
        if (old_part.empty())
            old_part.push_back('a');
        const std::string new_part = text(4, "abx");
        const int start = below(19) - 1;
        const int limit = below(6) - 2;
        std::string expected = t;
        const int made = replace_model(expected, old_part, new_part, start < 0 ? 0 : static_cast<std::size_t>(start), limit);

        Buf b(t, expected.size() > t.size() ? expected.size() - t.size() : 0);
        const int result = cmbstrn_(b.p(), old_part.c_str(), new_part.c_str(), start, limit);
        ASSERT_EQ(b.s(), expected) << t << ": " << old_part << " -> " << new_part << " @" << start << " n=" << limit;
        ASSERT_EQ(result, limit - made);
        ASSERT_TRUE(b.untouched_after(std::max(t.size(), expected.size()) + 1));

        if (limit == -1) {
            Buf c(t, expected.size() > t.size() ? expected.size() - t.size() : 0);
            cmbstr_(c.p(), old_part.c_str(), new_part.c_str(), start);
            ASSERT_EQ(c.s(), expected);
        }
    }
}

TEST_F(RandomTexts, RepeatedReplacementAgreesWithModel)
{
    for (int round = 0; round < 5000; ++round) {
        const std::string t = text(12);
        const std::string old_part = text(3);
        const std::string new_part = text(4, "abx");
        if (t.empty() || old_part.empty() || new_part.empty()) {
            Buf b(t, 0);
            ASSERT_EQ(cambiastr_(b.p(), old_part.c_str(), new_part.c_str()), 0);
            ASSERT_EQ(b.s(), t);
            continue;
        }
        std::string expected = t;
        if (new_part.find(old_part) != std::string::npos) {
            replace_model(expected, old_part, new_part, 0, -1);
        } else {
            // Search from the start after every replacement; some rules
            // double the text at each step, so those rounds are left out.
            bool too_long = false;
            for (std::size_t at; (at = expected.find(old_part)) != std::string::npos;) {
                expected.replace(at, old_part.size(), new_part);
                if (expected.size() > 4000) {
                    too_long = true;
                    break;
                }
            }
            if (too_long)
                continue;
        }
        Buf b(t, expected.size());
        ASSERT_EQ(cambiastr_(b.p(), old_part.c_str(), new_part.c_str()), -1);
        ASSERT_EQ(b.s(), expected) << t << ": " << old_part << " -> " << new_part;
    }
}

TEST_F(RandomTexts, DecimalSumAgreesWithIntegers)
{
    for (int round = 0; round < 3000; ++round) {
        auto digits = [this] {
            std::string s;
            const int n = below(19);
            for (int i = 0; i < n; ++i)
                s += static_cast<char>('0' + below(10));
            return s;
        };
        const std::string a = digits();
        const std::string b = digits();
        const std::size_t width = std::max(a.size(), b.size());
        const unsigned long long sum = (a.empty() ? 0 : std::stoull(a)) + (b.empty() ? 0 : std::stoull(b));
        std::string expected = std::to_string(sum);
        if (width == 0)
            expected.clear();
        else if (expected.size() < width)
            expected.insert(0, width - expected.size(), '0');

        std::vector<char> pa(a.begin(), a.end()), pb(b.begin(), b.end()), r(width + 2);
        pa.resize(width + 1);
        pb.resize(width + 1);
        sumastr_(r.data(), pa.data(), pb.data());
        ASSERT_EQ(std::string(r.data()), expected) << a << " + " << b;
        ASSERT_EQ(std::strlen(pa.data()), width);
        ASSERT_EQ(std::strlen(pb.data()), width);
    }
}
