// Test entry point shared by the unit and display test programs.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // The window's texts follow the locale; the tests expect the German default, whatever locale
    // runs them, unless a test names its own (the programs they start inherit this).
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        unsetenv(variable);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
