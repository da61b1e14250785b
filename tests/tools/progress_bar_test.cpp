// The progress bar fits the terminal it is drawn on and follows a resize.
#include <gtest/gtest.h>

#include <pty.h>
#include <thread>
#include <unistd.h>

#include "tools/render/progress_bar.h"

TEST(ProgressBar, FitsTheTerminalAndFollowsAResize) {
    for (int columns = 1; columns <= 200; ++columns)
        EXPECT_LT(progressLine(1234567, 2646000, 44100, columns).size(), std::max(columns, 1));
    EXPECT_EQ(progressLine(1323000, 2646000, 44100, 80),
              "[###############---------------]  50%  30.0 / 60.0 s");
    EXPECT_EQ(progressLine(1323000, 2646000, 44100, 20), " 50%  30.0 / 60.0 s");
    EXPECT_EQ(progressLine(1323000, 2646000, 44100, 10), " 50%");

    winsize size{24, 30, 0, 0};
    int screen = -1, terminal = -1;
    ASSERT_EQ(openpty(&screen, &terminal, nullptr, nullptr, &size), 0);
    const auto drawn = [&] {
        char text[512];
        const ssize_t n = read(screen, text, sizeof text);
        return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
    };
    ProgressBar bar(2646000, 44100, terminal);
    bar.update(1323000);
    EXPECT_EQ(drawn(), "\r[###----]  50%  30.0 / 60.0 s\033[K");
    size.ws_col = 100;
    ioctl(terminal, TIOCSWINSZ, &size);
    std::this_thread::sleep_for(std::chrono::milliseconds(120)); // past the redraw interval
    bar.update(2646000);
    EXPECT_EQ(drawn(), "\r[##############################] 100%  60.0 / 60.0 s\033[K");
    bar.finish();
    EXPECT_EQ(drawn(), "\r\033[K");
    close(terminal);
    close(screen);
}
