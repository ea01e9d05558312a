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

std::mt19937 rng(20240611);

int below(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }

// Few distinct letters, so that parts match often and runs form; now and
// then a blank or an accented letter.
std::string random_text(int max_len, const char* letters = "aab") {
    std::string s;
    for (int i = below(max_len + 1); i > 0; --i) {
        const int pick = below(20);
        s += pick == 0 ? ' ' : pick == 1 ? '\xe1' : letters[below(static_cast<int>(std::strlen(letters)))];
    }
    return s;
}

// Runs an in-place routine on a copy in a buffer of exactly the given size.
template <typename F>
std::string in_place(const std::string& text, F routine, std::size_t size = 0) {
    std::vector<char> buf(std::max(size, text.size() + 1));
    std::memcpy(buf.data(), text.c_str(), text.size() + 1);
    routine(buf.data());
    return buf.data();
}

// Leftmost, non-overlapping replacement from index start, at most limit
// times (negative: no limit); returns the number of replacements.
int replace_model(std::string& s, const std::string& old_part, const std::string& new_part, int start, int limit) {
    int done = 0;
    std::size_t at = static_cast<std::size_t>(std::max(start, 0));
    while ((limit < 0 || done < limit) && at <= s.size() && (at = s.find(old_part, at)) != std::string::npos) {
        s.replace(at, old_part.size(), new_part);
        at += new_part.size();
        ++done;
    }
    return done;
}

}  // namespace

TEST(RandomTexts, SearchAgreesWithFind) {
    for (int round = 0; round < 5000; ++round) {
        const std::string t = random_text(12), part = random_text(3);
        const int start = below(15) - 1;
        const std::size_t from = static_cast<std::size_t>(std::max(start, 0));
        const std::size_t found = from < t.size() ? t.find(part, from) : std::string::npos;
        const int expected = found == std::string::npos ? -1 : static_cast<int>(found);
        ASSERT_EQ(instrn_(t.c_str(), part.c_str(), start), expected) << t << " / " << part << " @" << start;
        if (start >= 0) {
            ASSERT_EQ(instrabsn_(t.c_str(), part.c_str(), start + 1), expected + 1);
        }
        ASSERT_EQ(instrabs_(t.c_str(), part.c_str()), instrn_(t.c_str(), part.c_str(), 0) + 1);
    }
}

TEST(RandomTexts, CharacterRemovalAgreesWithAlgorithms) {
    for (int round = 0; round < 3000; ++round) {
        const std::string t = random_text(20, "abc"), set = random_text(3, "abc");
        const char c = "abc \xe1"[below(5)];
        std::string expected = t;
        std::erase(expected, c);
        ASSERT_EQ(in_place(t, [c](char* s) { quitachar(s, c); }), expected);

        expected = t;
        std::erase_if(expected, [&set](char x) { return set.find(x) != std::string::npos; });
        ASSERT_EQ(in_place(t, [&set](char* s) { quitavarioschar_(s, set.c_str()); }), expected);

        expected = t;
        expected.erase(std::unique(expected.begin(), expected.end(), [c](char x, char y) { return x == c && y == c; }),
                       expected.end());
        ASSERT_EQ(in_place(t, [c](char* s) { qdup_(s, c); }), expected);

        expected.clear();
        for (std::size_t i = 0; i < t.size(); ++i)
            if (t.find(t[i]) == i) expected += t[i];
        ASSERT_EQ(in_place(t, sindupstr_), expected);

        ASSERT_EQ(in_place(t, revstr_), std::string(t.rbegin(), t.rend()));
        const std::size_t b = t.find_first_not_of(' ');
        ASSERT_EQ(in_place(t, trim_), b == std::string::npos ? "" : t.substr(b, t.find_last_not_of(' ') - b + 1));
    }
}

TEST(RandomTexts, SubstringRemovalAndOnePassReplacementAgreeWithModel) {
    for (int round = 0; round < 5000; ++round) {
        const std::string t = random_text(16), new_part = random_text(4, "abx");
        std::string old_part = random_text(3);
        if (old_part.empty()) old_part.push_back('a');
        const int start = below(19) - 1;
        const int limit = below(6) - 2;

        std::string expected = t;
        replace_model(expected, old_part, "", start, -1);
        ASSERT_EQ(in_place(t, [&](char* s) { quitastr_(s, old_part.c_str(), start); }), expected);

        expected = t;
        const int made = replace_model(expected, old_part, new_part, start, limit);
        int result = 0;
        const auto cmbstrn = [&](char* s) { result = cmbstrn_(s, old_part.c_str(), new_part.c_str(), start, limit); };
        ASSERT_EQ(in_place(t, cmbstrn, expected.size() + 1), expected)
            << t << ": " << old_part << " -> " << new_part << " @" << start << " n=" << limit;
        ASSERT_EQ(result, limit - made);
    }
}

TEST(RandomTexts, RepeatedReplacementAgreesWithModel) {
    int compared = 0;
    for (int round = 0; round < 5000; ++round) {
        const std::string t = random_text(12), old_part = random_text(3), new_part = random_text(4, "abx");
        int result = 0;
        const auto cambiastr = [&](char* s) { result = cambiastr_(s, old_part.c_str(), new_part.c_str()); };
        if (t.empty() || old_part.empty() || new_part.empty()) {
            ASSERT_EQ(in_place(t, cambiastr), t);
            ASSERT_EQ(result, 0);
            continue;
        }
        std::string expected = t;
        if (new_part.find(old_part) != std::string::npos) {
            replace_model(expected, old_part, new_part, 0, -1);
        } else {
            // Search from the start after each replacement. Some rules double
            // the text at each step: those rounds are left out.
            for (std::size_t at; expected.size() < 4000 && (at = expected.find(old_part)) != std::string::npos;)
                expected.replace(at, old_part.size(), new_part);
            if (expected.size() >= 4000) continue;
        }
        ASSERT_EQ(in_place(t, cambiastr, expected.size() + 1), expected) << t << ": " << old_part << " -> " << new_part;
        ASSERT_EQ(result, -1);
        ++compared;
    }
    EXPECT_GT(compared, 2000);
}
