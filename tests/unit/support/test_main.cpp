// Test entry point shared by the unit and display test programs.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // The window's texts follow the locale; the tests expect the German default, whatever locale
    // runs them, unless a test names its own (the programs they start inherit this). C.UTF-8
    // keeps UTF-8 for the tools the tests run, such as xprop.
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
        unsetenv(variable);
    }
    setenv("LANG", "C.UTF-8", 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
