// Widget tests run inside the program's own application object, so errors
// reach the same general error display as in the program.
#include <gtest/gtest.h>

#include "app/application.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    kararisu::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
