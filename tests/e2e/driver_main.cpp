// The driver's entry: GoogleTest takes its own flags, the driver the rest.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "driver_options.h"
#include "input_log.h"
#include "setup_driver.h"

#ifndef SETUP_PROGRAM
#define SETUP_PROGRAM ""
#endif
#ifndef PRODUCT_FILES
#define PRODUCT_FILES ""
#endif
#ifndef UNINSTALLER_PROGRAM
#define UNINSTALLER_PROGRAM ""
#endif

DriverOptions gOptions;

namespace {

std::string FromEnvironment(const char *name, const char *fallback)
{
    const char *value = getenv(name);
    return value && *value ? value : fallback;
}

// "--name=value" sets option; any other argument is refused.
bool TakeArgument(const char *argument)
{
    static const struct {
        const char *prefix;
        std::string DriverOptions::*option;
    } kArguments[] = {
        {"--setup=", &DriverOptions::setupProgram},
        {"--product-files=", &DriverOptions::productFiles},
        {"--uninstaller=", &DriverOptions::uninstaller},
        {"--screenshots=", &DriverOptions::screenshots},
        {"--link-copies=", &DriverOptions::linkCopies},
    };
    for (const auto &known : kArguments) {
        size_t length = strlen(known.prefix);
        if (strncmp(argument, known.prefix, length) == 0) {
            gOptions.*known.option = argument + length;
            return true;
        }
    }
    return false;
}

// A scenario is a road: once a step has failed, what follows would only wait for pages
// and messages that can't come. A fatal failure, in a scenario's helper too, ends the
// scenario at once (GoogleTest's own advice for assertions in subroutines).
class EndScenarioOnFatalFailure : public ::testing::EmptyTestEventListener {
    void OnTestPartResult(const ::testing::TestPartResult &result) override
    {
        if (result.fatally_failed())
            throw ::testing::AssertionException(result);
    }
};

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    gOptions.setupProgram = FromEnvironment("TOVRA_SETUP_EXE", SETUP_PROGRAM);
    gOptions.productFiles = FromEnvironment("TOVRA_PRODUCT_FILES", PRODUCT_FILES);
    gOptions.uninstaller = FromEnvironment("TOVRA_UNINSTALLER_EXE", UNINSTALLER_PROGRAM);
    gOptions.screenshots = FromEnvironment("TOVRA_SCREENSHOTS", "");
    gOptions.linkCopies = FromEnvironment("TOVRA_LINK_COPIES", "");
    for (int i = 1; i < argc; ++i) {
        if (!TakeArgument(argv[i])) {
            fprintf(stderr, "e2e: unknown argument %s (--setup=, --product-files=, --uninstaller=, --screenshots=, "
                            "--link-copies=)\n",
                    argv[i]);
            return 2;
        }
    }
    StartInputLog();
    ::testing::UnitTest::GetInstance()->listeners().Append(new EndScenarioOnFatalFailure);
    printf("e2e: driving %s, code page %u\n", gOptions.setupProgram.c_str(), GetACP());
    return RUN_ALL_TESTS();
}
