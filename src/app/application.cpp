#include "app/application.h"

#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <new>

#include <fontconfig/fontconfig.h>

#include "app/problem_texts.h"

namespace kararisu {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // Only the name, not the display name: Qt would add a display name to
    // every window caption.
    setApplicationName(QString::fromUtf8(kApplicationTitle));
    installJapaneseQtTexts(qtTexts_);
    installFontSubstitutes();
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showGeneralError(e);
    } catch (...) {
        showGeneralError(std::string("原因不明のエラーが起きました。"));
    }
    return false;
}

void showGeneralError(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error)) {
        showGeneralError(std::string("メモリが不足しています。"));
        return;
    }
    if (auto* problem = dynamic_cast<const ProblemError*>(&error)) {
        showGeneralError(problemText(*problem));
        return;
    }
    showGeneralError(std::string(error.what()));
}

void showGeneralError(const std::string& what) {
    Message m = generalErrorMessage(what);
    auto* app = dynamic_cast<Application*>(QCoreApplication::instance());
    if (app && app->errorPlatform()) {
        // It stands above the window in front.
        app->errorPlatform()->show(WindowRef(), m);
        return;
    }
    QMessageBox::critical(nullptr, QString::fromStdString(m.caption),
                          QString::fromStdString(m.text));
}

void runCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        showGeneralError(e);
    }
}

bool installJapaneseQtTexts(QTranslator& translator) {
    // Dates and sizes in the file dialogs follow the texts.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator.load(QStringLiteral("qtbase_ja"), folder)) return false;
    return QCoreApplication::installTranslator(&translator);
}

namespace {

// Smoothing turns the three stems of a 12-pixel "m" into a grey block; the
// hinted outlines alone land on whole pixels.
constexpr char kSmallTextRules[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <match target="font">
    <test name="family"><string>BIZ UDGothic</string></test>
    <test name="pixelsize" compare="less"><double>16</double></test>
    <edit name="antialias" mode="assign"><bool>false</bool></edit>
    <edit name="hinting" mode="assign"><bool>true</bool></edit>
    <edit name="hintstyle" mode="assign"><const>hintfull</const></edit>
  </match>
  <match target="font">
    <test name="family"><string>BIZ UDPGothic</string></test>
    <test name="pixelsize" compare="less"><double>16</double></test>
    <edit name="antialias" mode="assign"><bool>false</bool></edit>
    <edit name="hinting" mode="assign"><bool>true</bool></edit>
    <edit name="hintstyle" mode="assign"><const>hintfull</const></edit>
  </match>
</fontconfig>)";

}  // namespace

void installFontSubstitutes() {
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
                               {QStringLiteral("BIZ UDGothic"), QStringLiteral("IPAGothic")});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("BIZ UDPGothic"), QStringLiteral("IPAPGothic")});
    FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(),
                                   reinterpret_cast<const FcChar8*>(kSmallTextRules), FcFalse);
}

}  // namespace kararisu
