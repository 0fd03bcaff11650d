// A check inside a shared test helper is reported at the line of the test that called the
// helper, as Wine's tests do with ok_(file, line): the helper is a macro over a function
// that takes __FILE__ and __LINE__ and holds a CallerLine for its whole body. What the body
// reports is held back and reported again at the caller's line when the body ends, each
// with the helper's own line under it; a helper called by a helper passes its failures up,
// so they all name the test's line. A fatal failure is reported again as fatal when the
// outermost helper ends (the end-to-end driver then ends the scenario, from here), or as a
// plain failure while an exception is already on its way out.
#ifndef TOVRA_CALLER_LINE_H
#define TOVRA_CALLER_LINE_H

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <exception>
#include <memory>
#include <string>

class CallerLine {
public:
    CallerLine(const char *file, int line)
        : file_(file), line_(line), exceptions_(std::uncaught_exceptions()),
          held_(new ::testing::ScopedFakeTestPartResultReporter(
              ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results_))
    {
    }
    ~CallerLine() noexcept(false)
    {
        held_.reset();
        const bool unwinding = std::uncaught_exceptions() > exceptions_;
        for (int i = 0; i < results_.size(); ++i) {
            const ::testing::TestPartResult &result = results_.GetTestPartResult(i);
            std::string message = std::string(result.message()) + "\n(the helper's check at " +
                                  (result.file_name() ? result.file_name() : "?") + ":" +
                                  std::to_string(result.line_number()) + ")";
            ::testing::TestPartResult::Type type = result.type();
            if (unwinding && type == ::testing::TestPartResult::kFatalFailure)
                type = ::testing::TestPartResult::kNonFatalFailure;
            GTEST_MESSAGE_AT_(file_, line_, message.c_str(), type);
        }
    }
    CallerLine(const CallerLine &) = delete;
    CallerLine &operator=(const CallerLine &) = delete;

private:
    const char *file_;
    int line_;
    int exceptions_;
    ::testing::TestPartResultArray results_;
    std::unique_ptr<::testing::ScopedFakeTestPartResultReporter> held_;
};

#endif
