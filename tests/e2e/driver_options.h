// Where the driver finds what it drives and compares with, and where it leaves what it
// was asked to keep. Each comes from the command line (--setup=PATH and so on) or from
// the environment; the build's own paths are the defaults, so that a plain ctest run
// needs neither.
#ifndef TOVRA_DRIVER_OPTIONS_H
#define TOVRA_DRIVER_OPTIONS_H

#include <string>

struct DriverOptions {
    std::string setupProgram;   // --setup, TOVRA_SETUP_EXE: the program under test
    std::string productFiles;   // --product-files, TOVRA_PRODUCT_FILES: the files it must install
    std::string uninstaller;    // --uninstaller, TOVRA_UNINSTALLER_EXE: the uninstaller it carries in place
                                // of the product files' own; empty when it carries theirs
    std::string screenshots;    // --screenshots, TOVRA_SCREENSHOTS: a picture of every page and message
    std::string linkCopies;     // --link-copies, TOVRA_LINK_COPIES: copies of the shortcuts made
};

extern DriverOptions gOptions;

#endif
