#pragma once
// Shared set-up of the widget tests: BMP files generated into a fresh folder,
// and the program's windows over a scripted platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/main_controls.h"
#include "app/program.h"
#include "gui/fake_platform.h"
#include "worklists/bmp/bmp.h"
#include "worklists/png/png.h"

namespace kararisu::test {

inline Bitmap smallBitmap(PixelFormat f, int w = 4, int h = 3) {
    Bitmap b(w, h, f);
    if (!isPaletted(f))
        for (int y = 0; y < h; ++y) b.row(y)[0] = std::uint8_t(10 * y + 1);
    return b;
}

class GuiTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    FakePlatform platform;
    std::unique_ptr<Program> program;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        app()->setErrorPlatform(&platform);
    }
    void TearDown() override {
        program.reset();
        app()->setErrorPlatform(nullptr);
    }
    static Application* app() { return dynamic_cast<Application*>(QCoreApplication::instance()); }

    std::string path(const std::string& name) const {
        return dir.path().toStdString() + "/" + name;
    }
    // A valid BMP file of the given depth.
    std::string bmp(const std::string& name, PixelFormat f = PixelFormat::Bpp24) const {
        saveBmp(smallBitmap(f), path(name)).take(path(name));
        return path(name);
    }
    // A file with any bytes, e.g. not a bitmap at all.
    std::string junk(const std::string& name, const std::string& bytes = "not a bitmap") const;

    TMain& start(const std::vector<std::string>& arguments = {}) {
        program = std::make_unique<Program>(platform, arguments);
        return program->main();
    }
    TMain& main() { return program->main(); }

    std::vector<std::string> lines() const;
    void selectLines(std::initializer_list<int> rows);
    // Adds a row to the "after" list as a finished result would.
    void addResultRow(const std::string& name);
};

}  // namespace kararisu::test
