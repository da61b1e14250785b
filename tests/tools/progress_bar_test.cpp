// The progress bar fits the terminal it is drawn on, follows a resize, and draws nothing
// anywhere else.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

#include "tools/render/progress_bar.h"

namespace {

// A pseudo-terminal: ProgressBar draws on `terminal`, the test reads what it drew from `screen`.
struct PseudoTerminal {
    PseudoTerminal() {
        screen = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (screen >= 0 && grantpt(screen) == 0 && unlockpt(screen) == 0)
            terminal = open(ptsname(screen), O_RDWR | O_NOCTTY);
    }
    ~PseudoTerminal() {
        if (terminal >= 0) close(terminal);
        if (screen >= 0) close(screen);
    }
    void resize(int columns) const {
        winsize size{};
        size.ws_row = 24;
        size.ws_col = static_cast<unsigned short>(columns);
        ioctl(terminal, TIOCSWINSZ, &size);
    }
    std::string drawn() const {
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = read(screen, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }
    int screen = -1;
    int terminal = -1;
};

} // namespace

TEST(ProgressBar, EveryLineIsShorterThanTheTerminalIsWide) {
    for (int columns = 1; columns <= 200; ++columns)
        for (const std::int64_t done : {0, 1234567, 2646000}) {
            const std::string line = progressLine(done, 2646000, 44100, columns);
            EXPECT_LT(static_cast<int>(line.size()), std::max(columns, 1)) << columns;
        }
    EXPECT_EQ(progressLine(1323000, 2646000, 44100, 80),
              "[###############---------------]  50%  30.0 / 60.0 s");
    // Narrower: a shorter bar, then no bar, then the percentage alone.
    EXPECT_EQ(progressLine(1323000, 2646000, 44100, 36), "[######-------]  50%  30.0 / 60.0 s");
    EXPECT_EQ(progressLine(1323000, 2646000, 44100, 20), " 50%  30.0 / 60.0 s");
    EXPECT_EQ(progressLine(1323000, 2646000, 44100, 10), " 50%");
}

TEST(ProgressBar, FollowsAResizeAndDrawsOnlyOnATerminal) {
    const PseudoTerminal pty;
    ASSERT_GE(pty.terminal, 0) << "no pseudo-terminal";
    pty.resize(30);
    {
        ProgressBar bar(2646000, 44100, pty.terminal);
        bar.update(1323000);
        EXPECT_EQ(pty.drawn(), "\r[###----]  50%  30.0 / 60.0 s\033[K");
        pty.resize(100);
        std::this_thread::sleep_for(std::chrono::milliseconds(120)); // past the redraw interval
        bar.update(2646000);
        EXPECT_EQ(pty.drawn(), "\r[##############################] 100%  60.0 / 60.0 s\033[K");
        bar.finish();
        EXPECT_EQ(pty.drawn(), "\r\033[K");
    }
    int notATerminal[2];
    ASSERT_EQ(pipe2(notATerminal, O_NONBLOCK), 0);
    {
        ProgressBar bar(2646000, 44100, notATerminal[1]);
        bar.update(1323000);
        bar.update(2646000);
    }
    char byte;
    EXPECT_EQ(read(notATerminal[0], &byte, 1), -1);
    close(notATerminal[0]);
    close(notATerminal[1]);
}
