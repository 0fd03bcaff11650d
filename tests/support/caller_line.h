// A check inside a shared test helper is reported at the line of the test that called the
// helper, as Wine's tests do with ok_(file, line): the helper is a macro over a function
// that takes __FILE__ and __LINE__ and holds a CallerLine for its whole body. What the body
// reports is held back and reported again at the caller's line when the body ends, each
// with the helper's own line under it; a helper called by a helper passes its failures up,
// so they all name the test's line.
#ifndef TOVRA_CALLER_LINE_H
#define TOVRA_CALLER_LINE_H

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

class CallerLine {
public:
    CallerLine(const char *file, int line)
        : file_(file), line_(line),
          held_(new ::testing::ScopedFakeTestPartResultReporter(
              ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results_))
    {
    }
    ~CallerLine()
    {
        held_.reset();
        for (int i = 0; i < results_.size(); ++i) {
            const ::testing::TestPartResult &result = results_.GetTestPartResult(i);
            std::string message = std::string(result.message()) + "\n(the helper's check at " +
                                  (result.file_name() ? result.file_name() : "?") + ":" +
                                  std::to_string(result.line_number()) + ")";
            GTEST_MESSAGE_AT_(file_, line_, message.c_str(), result.type());
        }
    }
    CallerLine(const CallerLine &) = delete;
    CallerLine &operator=(const CallerLine &) = delete;

private:
    const char *file_;
    int line_;
    ::testing::TestPartResultArray results_;
    std::unique_ptr<::testing::ScopedFakeTestPartResultReporter> held_;
};

#endif
