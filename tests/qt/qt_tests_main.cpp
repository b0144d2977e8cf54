// The Qt dialog's tests run on Qt's offscreen platform, with a home of their own for the logs.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    char home[] = "/tmp/zeltor-qt-home-XXXXXX";
    if (mkdtemp(home) == nullptr) {
        return 2;
    }
    setenv("HOME", home, 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DOCUMENTS_DIR");
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return result;
}
