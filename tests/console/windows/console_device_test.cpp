// The Windows console device on a real console (Wine's, under the tests):
// after random sequences of device operations the console's screen buffer,
// read back through the console API, holds what the console in memory
// holds; keys written into the console's input come out as the terminal
// device gives them; reads set and put back the input mode; kbhit_ looks
// without reading.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <versos/consola.h>

#include "lib/charsets/cp850.h"
#include "lib/console/windows/console_device.h"
#include "tests/support/memory_console.h"

namespace versos::console {

inline void PrintTo(Cell c, std::ostream* os) { *os << int{c.ch} << "/0x" << std::hex << int{c.attr} << std::dec; }
inline void PrintTo(Point p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

namespace {

// The tests run with their output on a pipe: a console of their own then.
bool have_console() {
    DWORD mode;
    if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) return true;
    FreeConsole();
    return AllocConsole() != 0;
}

HANDLE open_console(const wchar_t* name) {
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       0, nullptr);
}

class ConsoleDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(have_console()) << "no console (Wine needs a display to make one)";
        // A screen buffer of the test's own, so that nothing shown is touched.
        output_ = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            CONSOLE_TEXTMODE_BUFFER, nullptr);
        ASSERT_NE(output_, INVALID_HANDLE_VALUE);
        SetConsoleScreenBufferSize(output_, COORD{80, 25});  // the screen of a program that starts
        input_ = open_console(L"CONIN$");
        ASSERT_NE(input_, INVALID_HANDLE_VALUE);
        FlushConsoleInputBuffer(input_);
        ConsoleSetup setup;
        setup.output = output_;
        setup.input = input_;
        setup.input_is_console = true;
        setup.whole_process = false;
        device_ = std::make_unique<WindowsConsoleDevice>(setup);
    }
    void TearDown() override {
        install_device(nullptr);
        device_.reset();
        CloseHandle(output_);
        CloseHandle(input_);
    }

    std::vector<Cell> cells(const Device& d) const {
        const Size s = d.size();
        std::vector<Cell> all(static_cast<std::size_t>(s.columns) * s.rows);
        EXPECT_TRUE(d.read_cells(Rect{0, 0, s.columns - 1, s.rows - 1}, all.data()));
        return all;
    }

    // Key events into the console's input, as typed.
    void type(std::vector<KEY_EVENT_RECORD> keys) {
        std::vector<INPUT_RECORD> records;
        for (const KEY_EVENT_RECORD& k : keys) {
            INPUT_RECORD r{};
            r.EventType = KEY_EVENT;
            r.Event.KeyEvent = k;
            r.Event.KeyEvent.wRepeatCount = k.wRepeatCount ? k.wRepeatCount : 1;
            records.push_back(r);
        }
        DWORD written = 0;
        ASSERT_TRUE(WriteConsoleInputW(input_, records.data(), static_cast<DWORD>(records.size()), &written));
        ASSERT_EQ(written, records.size());
    }
    static KEY_EVENT_RECORD key(bool down, WORD vk, wchar_t ch, DWORD state = 0) {
        KEY_EVENT_RECORD k{};
        k.bKeyDown = down;
        k.wVirtualKeyCode = vk;
        k.uChar.UnicodeChar = ch;
        k.dwControlKeyState = state;
        return k;
    }
    DWORD events_waiting() const {
        DWORD n = 0;
        GetNumberOfConsoleInputEvents(input_, &n);
        return n;
    }

    HANDLE output_ = nullptr, input_ = nullptr;
    std::unique_ptr<WindowsConsoleDevice> device_;
};

class Operations {
public:
    Operations(Device& a, Device& b, std::mt19937& random) : a_(a), b_(b), random_(random) {}
    int pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
    Cell any_cell() {
        return Cell{static_cast<unsigned char>(pick(3) ? pick(256) : ' '), static_cast<unsigned char>(pick(256))};
    }
    Point any_point(int slack) {
        const Size s = a_.size();
        return Point{pick(s.columns + 2 * slack) - slack, pick(s.rows + 2 * slack) - slack};
    }
    Rect any_rect(int slack) {
        Point p = any_point(slack), q = any_point(slack);
        return Rect{std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x), std::max(p.y, q.y)};
    }
    // The same operation on both; its name for the log.
    std::string one() {
        const Size s = a_.size();
        std::ostringstream name;
        switch (pick(8)) {
            case 0: {
                const auto attr = static_cast<unsigned char>(pick(256));
                both([&](Device& d) { d.set_attribute(attr); });
                name << "attribute " << int{attr};
                break;
            }
            case 1: {
                const Point p = any_point(2);
                both([&](Device& d) { d.set_cursor(p); });
                name << "cursor " << p.x << "," << p.y;
                break;
            }
            case 2: {
                std::string text;
                const int length = pick(4) == 0 ? pick(3 * s.columns) : pick(12);
                for (int i = 0; i < length; ++i) text += static_cast<char>(pick(256));
                both([&](Device& d) { d.write(text.data(), length); });
                name << "write " << length;
                break;
            }
            case 3: {
                const Point from = any_point(1);
                const int count = pick(3) == 0 ? s.columns * s.rows : pick(3 * s.columns);
                const Cell with = any_cell();
                both([&](Device& d) { d.fill(from, count, with); });
                name << "fill " << from.x << "," << from.y << " " << count;
                break;
            }
            case 4:
            case 5: {
                const Rect source = any_rect(pick(2) ? 0 : 3), clip = any_rect(2);
                const Point to = pick(8) ? any_point(3) : Point{source.left + 300, source.top - 300};
                const bool clipped = pick(2) == 0;
                const Cell with = any_cell();
                both([&](Device& d) { d.scroll(source, clipped ? &clip : nullptr, to, with); });
                name << "scroll " << source.left << "," << source.top << "-" << source.right << "," << source.bottom
                     << " to " << to.x << "," << to.y;
                if (clipped)
                    name << " clip " << clip.left << "," << clip.top << "-" << clip.right << "," << clip.bottom;
                break;
            }
            case 6: {
                const Rect area = any_rect(2);
                std::vector<Cell> cells(static_cast<std::size_t>(area.width()) * area.height());
                for (Cell& c : cells) c = any_cell();
                bool written[2];
                int i = 0;
                both([&](Device& d) { written[i++] = d.write_cells(area, cells.data()); });
                EXPECT_EQ(written[0], written[1]);
                name << "cells " << area.left << "," << area.top << "-" << area.right << "," << area.bottom;
                break;
            }
            case 7: {
                const auto attr = static_cast<unsigned char>(pick(256));
                both([&](Device& d) { d.recolour(attr); });
                name << "recolour " << int{attr};
                break;
            }
        }
        return name.str();
    }

private:
    template <typename F>
    void both(F f) {
        f(a_);
        f(b_);
    }
    Device& a_;
    Device& b_;
    std::mt19937& random_;
};

TEST_F(ConsoleDeviceTest, HoldsWhatTheConsoleInMemoryHoldsAfterRandomOperations) {
    MemoryConsole memory(device_->size());
    // The same start: every cell blank in 0x07, the cursor at the top left.
    device_->fill(Point{0, 0}, device_->size().columns * device_->size().rows, Cell{' ', 0x07});
    device_->set_attribute(0x07);
    device_->set_cursor(Point{0, 0});
    for (unsigned seed = 1; seed <= 8; ++seed) {
        std::mt19937 random(seed);
        Operations ops(*device_, memory, random);
        std::vector<std::string> done;
        for (int step = 0; step < 40; ++step) {
            done.push_back(ops.one());
            const std::vector<Cell> shown = cells(*device_);
            std::vector<Cell> kept = cells(memory);
            // A NUL is drawn as a blank (Wine's console would show it as
            // '?'), and 0x14 and 0x15 show as ¶ and §, read back as 0xF4
            // and 0xF5.
            for (Cell& c : kept) c.ch = c.ch == 0 ? ' ' : c.ch == 0x14 ? 0xF4 : c.ch == 0x15 ? 0xF5 : c.ch;
            std::size_t at = 0;
            while (at < kept.size() && shown[at] == kept[at]) ++at;
            const auto trail = [&] {
                std::string t;
                for (const std::string& d : done) t += "\n  " + d;
                return t;
            };
            ASSERT_EQ(at, kept.size()) << "seed " << seed << ": cell " << at % memory.size().columns << ","
                                       << at / memory.size().columns << " is " << int{shown[at].ch} << "/"
                                       << int{shown[at].attr} << ", in memory " << int{kept[at].ch} << "/"
                                       << int{kept[at].attr} << trail();
            ASSERT_EQ(device_->cursor(), memory.cursor()) << "seed " << seed << trail();
            ASSERT_EQ(device_->attribute(), memory.attribute()) << "seed " << seed << trail();
        }
    }
}

TEST_F(ConsoleDeviceTest, GettextReadsWhatOthersDrewInCodePage850) {
    // Another program's text, written past the device.
    const wchar_t text[] = L"Ñandú ╔═╗ ☺";
    DWORD done;
    ASSERT_TRUE(WriteConsoleOutputCharacterW(output_, text, static_cast<DWORD>(wcslen(text)), COORD{3, 4}, &done));
    ASSERT_TRUE(FillConsoleOutputAttribute(output_, 0x1E, static_cast<DWORD>(wcslen(text)), COORD{3, 4}, &done));
    install_device(device_.get());
    vActual = TextInfo{0, 0, 79, 24, 0x0F, 0x0F, 3, 25, 80, 1, 1};
    unsigned char got[11 * 2];
    ASSERT_NE(gettext_(4, 5, 14, 5, got), 0);
    const unsigned char expected[] = {0xA5, 'a', 'n', 'd', 0xA3, ' ', 0xC9, 0xCD, 0xBB, ' ', 0x01};
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(got[2 * i], expected[i]) << i;
        EXPECT_EQ(got[2 * i + 1], 0x1E) << i;
    }
}

// imprimeHasta on a console: the letters the bytes stand for in code page
// 850, the ellipsis in its own colour, and the console left in the text's.
TEST_F(ConsoleDeviceTest, ImprimeHastaDrawsItsLineInTheConsolesColours) {
    install_device(device_.get());
    ASSERT_TRUE(SetConsoleTextAttribute(output_, 0x17));
    ASSERT_TRUE(SetConsoleCursorPosition(output_, COORD{0, 3}));
    const std::string text = std::string("\xA4") + "bcdefghijklmnopqrstuvwxyz012" + "\xB0";  // 30: ñ ... ░
    const HANDLE standard_error = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_ERROR_HANDLE, output_);
    imprimeHasta(text.c_str(), 15, 0x0E, 0x0C);
    SetStdHandle(STD_ERROR_HANDLE, standard_error);

    const std::string shown = "\"" + text.substr(0, 5) + "[...]" + text.substr(25) + "\"";
    std::vector<Cell> got(shown.size() + 1);
    ASSERT_TRUE(device_->read_cells(Rect{0, 3, static_cast<int>(shown.size()), 3}, got.data()));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const unsigned char attr = i >= 6 && i < 11 ? 0x1C : 0x1E;  // the ellipsis in its colour
        EXPECT_EQ(got[i], (Cell{static_cast<unsigned char>(shown[i]), attr})) << i;
    }
    EXPECT_EQ(got[shown.size()].ch, ' ');
    EXPECT_EQ(device_->cursor(), (Point{0, 4}));
    EXPECT_EQ(device_->attribute(), 0x1E);
}

TEST_F(ConsoleDeviceTest, KeysComeAsTheTerminalDeviceGivesThem) {
    install_device(device_.get());
    type({key(true, VK_UP, 0), key(false, VK_UP, 0), key(true, 0, 0), key(false, 0, 0),  // Wine's empty events
          key(true, 0, L'ñ'), key(false, 0, L'ñ'),                                       // Wine gives ñ no virtual key
          key(true, 0, L'Ó'),                                                            // 224, a character
          key(true, VK_SHIFT, 0, SHIFT_PRESSED),                                         // a modifier alone
          key(true, VK_LEFT, 0, LEFT_CTRL_PRESSED), key(true, VK_HOME, 0, LEFT_ALT_PRESSED), key(true, VK_F1, 0),
          key(true, VK_F11, 0), key(true, 'A', L'a', LEFT_ALT_PRESSED), key(true, VK_ESCAPE, 0x1B),
          key(true, VK_RETURN, L'\r')});
    const int expected[] = {224, 72, 164, 224, 224, 115, 0, 151, 0, 59, 224, 133, 27, 'a', 27, 13};
    std::vector<int> got;
    std::vector<bool> pairs;
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        got.push_back(getch_());
        pairs.push_back(device_->key_began_pair());
    }
    EXPECT_EQ(got, std::vector<int>(std::begin(expected), std::end(expected)));
    EXPECT_TRUE(pairs[0]);   // Up's 224
    EXPECT_FALSE(pairs[3]);  // Ó's
    EXPECT_TRUE(pairs[4]);   // Ctrl+Left's
    // A key with a repeat count comes that many times.
    KEY_EVENT_RECORD held = key(true, 'X', L'x');
    held.wRepeatCount = 3;
    type({held});
    EXPECT_EQ(getch_(), 'x');
    EXPECT_EQ(getch_(), 'x');
    EXPECT_EQ(getch_(), 'x');
    EXPECT_EQ(kbhit_(), 0);
}

// Ctrl+C typed while getch_ waits is key 3: the read takes processed input
// away meanwhile (a Ctrl+C written while it is on would end the test), and
// puts back the mode it found.
TEST_F(ConsoleDeviceTest, CtrlCInsideAReadIsAKeyAndTheModeComesBack) {
    install_device(device_.get());
    const DWORD before = ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_MOUSE_INPUT;
    ASSERT_TRUE(SetConsoleMode(input_, before));
    std::thread typist([&] {
        // Until the read has set its mode: only then may Ctrl+C come.
        for (DWORD mode = before; mode & ENABLE_PROCESSED_INPUT;) {
            Sleep(1);
            ASSERT_TRUE(GetConsoleMode(input_, &mode));
        }
        type({key(true, 'C', 3, LEFT_CTRL_PRESSED), key(false, 'C', 3, LEFT_CTRL_PRESSED)});
    });
    const int got = getch_();
    typist.join();
    EXPECT_EQ(got, 3);
    DWORD after = 0;
    ASSERT_TRUE(GetConsoleMode(input_, &after));
    EXPECT_EQ(after, before);
}

// kbhit_ says yes only for a key that a read gives, and leaves it in the
// console; releases and other events that give no key never make it say
// yes (a read after would wait).
TEST_F(ConsoleDeviceTest, KbhitCountsOnlyKeysAndLeavesThemWaiting) {
    install_device(device_.get());
    type({key(false, 'A', L'a'), key(true, VK_SHIFT, 0, SHIFT_PRESSED), key(true, 0, 0)});
    EXPECT_EQ(kbhit_(), 0);
    EXPECT_EQ(events_waiting(), 0u);  // taken away: a wait is not woken by them again
    type({key(false, 'B', L'b'), key(true, 'B', L'b'), key(false, 'B', L'b')});
    EXPECT_EQ(kbhit_(), 1);
    EXPECT_EQ(kbhit_(), 1);
    EXPECT_EQ(events_waiting(), 3u);  // looked at, not read
    EXPECT_EQ(getch_(), 'b');
    EXPECT_EQ(kbhit_(), 0);
}

TEST_F(ConsoleDeviceTest, PushedBackKeysComeFirst) {
    install_device(device_.get());
    type({key(true, 'A', L'a')});
    EXPECT_EQ(ungetch('z'), 'z');
    EXPECT_EQ(kbhit_(), 1);
    EXPECT_EQ(getch_(), 'z');
    EXPECT_EQ(getch_(), 'a');
}

// Without a console on standard output nothing is drawn and rectangles
// give 0; without input, Enter once.
TEST(ConsoleDeviceWithoutConsole, DropsOutputAndGivesEnter) {
    ConsoleSetup setup;
    setup.whole_process = false;
    WindowsConsoleDevice device(setup);
    install_device(&device);
    vActual = TextInfo{0, 0, 79, 24, 0x0F, 0x0F, 3, 25, 80, 1, 1};
    unsigned char cells[4] = {'a', 7, 'b', 7};
    EXPECT_EQ(puttext(1, 1, 2, 1, cells), 0);
    EXPECT_EQ(gettext_(1, 1, 2, 1, cells), 0);
    EXPECT_FALSE(device.shows_output());
    EXPECT_EQ(getch_(), 13);
    install_device(nullptr);
}

// The console as a program that crashes, exits or is ended by Ctrl+C while
// it has the console in its own state (attribute, hidden cursor, input mode
// of a key read) leaves it: as it found it.
struct ConsoleState {
    DWORD mode = 0;
    WORD attribute = 0;
    CONSOLE_CURSOR_INFO cursor{};
};

ConsoleState state_of(HANDLE input, HANDLE output) {
    ConsoleState s;
    CONSOLE_SCREEN_BUFFER_INFO info;
    EXPECT_TRUE(GetConsoleMode(input, &s.mode));
    EXPECT_TRUE(GetConsoleScreenBufferInfo(output, &info));
    s.attribute = info.wAttributes;
    EXPECT_TRUE(GetConsoleCursorInfo(output, &s.cursor));
    return s;
}

// The child's exit status; it shares the test's console. The child is
// built beside the test.
DWORD run_child(const std::string& mode, HANDLE input, HANDLE output) {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring program(self, length);
    program.erase(program.find_last_of(L"\\/") + 1);
    std::wstring command = L"\"" + program + L"console-restore-child.exe\" ";
    for (const char c : mode) command += static_cast<wchar_t>(c);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = input;
    start.hStdOutput = output;
    start.hStdError = output;
    PROCESS_INFORMATION child{};
    EXPECT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &child));
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(child.hProcess, &status);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    return status;
}

TEST(ConsoleRestore, ACrashOrAnExitLeavesTheConsoleAsFound) {
    ASSERT_TRUE(have_console());
    // The child's standard handles.
    HANDLE input = open_console(L"CONIN$"), output = open_console(L"CONOUT$");
    SetHandleInformation(input, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    SetHandleInformation(output, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    ASSERT_NE(input, INVALID_HANDLE_VALUE);
    ASSERT_NE(output, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetConsoleMode(input, ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT))
        << GetLastError();
    ASSERT_TRUE(SetConsoleTextAttribute(output, 0x07));
    const CONSOLE_CURSOR_INFO shown{25, TRUE};
    ASSERT_TRUE(SetConsoleCursorInfo(output, &shown));
    const ConsoleState before = state_of(input, output);
    const struct {
        std::string mode;
        DWORD status;
    } ends[] = {{"crash", EXCEPTION_ACCESS_VIOLATION}, {"exit", 0}, {"ctrl-c", STATUS_CONTROL_C_EXIT}};
    // The child's Ctrl+C goes to every process on the console: not this one.
    SetConsoleCtrlHandler(nullptr, TRUE);
    for (const auto& [mode, status] : ends) {
        const DWORD ended = run_child(mode, input, output);
        // Wine 8's last control handler ends the process with 0.
        const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
        if (mode == "ctrl-c" && wine) {
            EXPECT_TRUE(ended == 0 || ended == status) << ended;
        } else {
            EXPECT_EQ(ended, status) << mode;
        }
        const ConsoleState after = state_of(input, output);
        EXPECT_EQ(after.mode, before.mode) << mode;
        EXPECT_EQ(after.attribute, before.attribute) << mode;
        EXPECT_EQ(after.cursor.bVisible, before.cursor.bVisible) << mode;
        EXPECT_EQ(after.cursor.dwSize, before.cursor.dwSize) << mode;
    }
    SetConsoleCtrlHandler(nullptr, FALSE);
    CloseHandle(input);
    CloseHandle(output);
}

}  // namespace
}  // namespace versos::console
