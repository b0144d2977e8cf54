// The Qt dialog and its chooser over the simulated headset and dongle, in virtual time: what a
// person sees and can do at each point of an update, in English, German and Japanese.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <cmath>

#include "qt_story.h"
#include "ui/dialog_controls.h"

namespace zeltor {
namespace {

const std::string kScenarios = ZELTOR_SCENARIO_DIR;

bool chooserOpen(QtDialog& dialog, CBrennicDFUDlg&) {
    return dialog.openChooser() != nullptr && dialog.openChooser()->isVisible();
}

bool ready(QtDialog& dialog, CBrennicDFUDlg& controller) {
    return controller.state() == DFU_STATE_READY && shown(dialog, IDC_START);
}

QWidget* chooserControl(QtDialog& dialog, int controlId) {
    return dialog.openChooser()->findChild<QWidget*>(QString::number(controlId));
}

void clickChooserPicture(QtDialog& dialog, int controlId) {
    QTest::mouseClick(chooserControl(dialog, controlId), Qt::LeftButton);
}

// Which of the controls that come and go are shown: Start, Close, the progress bar, the status.
void expectShown(QtDialog& dialog, bool start, bool close, bool progress, bool status) {
    EXPECT_EQ(shown(dialog, IDC_START), start);
    EXPECT_EQ(shown(dialog, IDC_CLOSE), close);
    EXPECT_EQ(shown(dialog, IDC_PROGRESS), progress);
    EXPECT_EQ(shown(dialog, IDC_STATUS_LINK), status);
}

// --- Fitting and placing ---------------------------------------------------------------------

// Whether the text of a control fits inside it, wrapped as the control wraps it.
void expectFits(QWidget* control) {
    SCOPED_TRACE("control " + control->objectName().toStdString());
    const QFontMetrics metrics(control->font());
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        EXPECT_LE(metrics.horizontalAdvance(button->text()) + 8, button->width())
            << button->text().toStdString();
        return;
    }
    auto* label = qobject_cast<QLabel*>(control);
    ASSERT_NE(label, nullptr);
    QSize needed;
    if (label->textFormat() == Qt::RichText) {
        QTextDocument document;
        document.setDefaultFont(label->font());
        document.setDocumentMargin(0);
        document.setHtml(label->text());
        document.setTextWidth(label->width());
        needed = document.size().toSize();
    } else {
        needed = metrics
                     .boundingRect(QRect(0, 0, label->width(), 100000),
                                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, label->text())
                     .size();
    }
    // A laid-out line may round one pixel above the font's height, which clips no glyph.
    EXPECT_LE(needed.width(), label->width()) << label->text().toStdString();
    EXPECT_LE(needed.height(), label->height() + 1) << label->text().toStdString();
}

void expectAllFit(QtDialog& dialog) {
    for (const int id : {IDC_HEADING, IDC_WARNING, IDC_RELEASE_NOTES_CAPTION, IDC_INSTRUCTIONS,
                         IDC_STATUS_LINK, IDC_START, IDC_CLOSE}) {
        if (shown(dialog, id) && !controlText(dialog.control(id)).isEmpty()) {
            expectFits(dialog.control(id));
        }
    }
    // Each note within the list, wrapped to its width and tall enough for its lines.
    auto* notes = static_cast<QListWidget*>(dialog.control(IDC_RELEASE_NOTES));
    const QFontMetrics metrics(notes->font());
    for (int row = 0; row < notes->count(); ++row) {
        const QRect place = notes->visualItemRect(notes->item(row));
        const QRect needed =
            metrics.boundingRect(QRect(0, 0, place.width(), 100000),
                                 Qt::AlignLeft | Qt::TextWordWrap, notes->item(row)->text());
        EXPECT_TRUE(notes->viewport()->rect().contains(place));
        EXPECT_LE(needed.height(), place.height()) << notes->item(row)->text().toStdString();
    }
}

// A rectangle of a template in dialog units, as the product's resource script gives it.
struct UnitRect {
    int id, x, y, width, height;
};

// The pixels of dialog units in `font`: a quarter of the average width of the Latin letters,
// an eighth of the line height.
QRect inPixels(const QFont& font, const UnitRect& units) {
    const QFontMetrics metrics(font);
    const double letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const double perX = std::floor((letters / 26.0 + 1.0) / 2.0) / 4.0;
    const double perY = metrics.height() / 8.0;
    return QRect(static_cast<int>(std::lround(units.x * perX)),
                 static_cast<int>(std::lround(units.y * perY)),
                 static_cast<int>(std::lround(units.width * perX)),
                 static_cast<int>(std::lround(units.height * perY)));
}

void expectNear(const QRect& actual, const QRect& expected) {
    EXPECT_NEAR(actual.x(), expected.x(), 2);
    EXPECT_NEAR(actual.y(), expected.y(), 2);
    EXPECT_NEAR(actual.width(), expected.width(), 2);
    EXPECT_NEAR(actual.height(), expected.height(), 2);
}

void expectMainLayout(QtDialog& dialog) {
    const UnitRect controls[] = {
        {IDC_HEADING, 131, 15, 259, 25},
        {IDC_WARNING, 131, 50, 259, 25},
        {IDC_RELEASE_NOTES_CAPTION, 16, 110, 369, 8},
        {IDC_RELEASE_NOTES, 16, 123, 369, 43},
        {IDC_INSTRUCTIONS, 16, 188, 369, 50},
        {IDC_STATUS_LINK, 16, 209, 262, 14},
        {IDC_CLOSE, 280, 215, 110, 17},
        {IDC_START, 280, 217, 110, 17},
        {IDC_PROGRESS, 16, 223, 369, 11},
    };
    for (const UnitRect& control : controls) {
        SCOPED_TRACE("control " + std::to_string(control.id));
        expectNear(dialog.control(control.id)->geometry(), inPixels(dialog.font(), control));
    }
    // The picture control takes its picture's size; its place is the template's.
    const QRect picture = inPixels(dialog.font(), {IDC_DEVICE_ICON, 7, 7, 20, 20});
    EXPECT_NEAR(dialog.control(IDC_DEVICE_ICON)->x(), picture.x(), 2);
    EXPECT_NEAR(dialog.control(IDC_DEVICE_ICON)->y(), picture.y(), 2);
    expectNear(QRect(QPoint(0, 0), dialog.size()), inPixels(dialog.font(), {0, 0, 0, 401, 242}));
}

void expectChooserLayout(QtDialog& dialog) {
    QWidget* chooser = dialog.openChooser();
    const UnitRect controls[] = {{IDC_CHOOSE_DESCRIPTION, 17, 14, 274, 13},
                                 {IDC_REGULAR_HEADSET, 15, 40, 162, 131},
                                 {IDC_SHROUD_HEADSET, 196, 40, 168, 131}};
    for (const UnitRect& control : controls) {
        SCOPED_TRACE("chooser control " + std::to_string(control.id));
        expectNear(chooserControl(dialog, control.id)->geometry(),
                   inPixels(chooser->font(), control));
    }
    expectNear(QRect(QPoint(0, 0), chooser->size()),
               inPixels(chooser->font(), {0, 0, 0, 382, 203}));
}

// --- The chooser -----------------------------------------------------------------------------

struct ChooserCase {
    const char* name;
    std::vector<std::string> switches;
    std::function<void(QtDialog&)> leave;
    bool shroud;
    QSize picture;  // the main dialog's picture of the type
};

void PrintTo(const ChooserCase& c, std::ostream* out) {
    *out << c.name;
}

class ChooserTest : public testing::TestWithParam<ChooserCase> {};

TEST_P(ChooserTest, EachWayOutGivesTheTypeAndItsPicture) {
    setLanguage("C.UTF-8");
    const ChooserCase& c = GetParam();
    std::vector<std::string> switches = {"/SIMULATE", "/INSTANT"};
    switches.insert(switches.end(), c.switches.begin(), c.switches.end());
    QSize picture;
    const StoryEnd end = runStory(
        switches,
        {{"the chooser", chooserOpen,
          [&](QtDialog& dialog, CBrennicDFUDlg&) {
              QWidget* chooser = dialog.openChooser();
              EXPECT_EQ(chooser->windowTitle().toStdString(),
                        "Halvorix Zeltor Wireless Update Tool 112.2.212");
              EXPECT_EQ(controlText(chooserControl(dialog, IDC_CHOOSE_DESCRIPTION)).toStdString(),
                        "Please choose your Zeltor Wireless type.");
              // The pictures at their own size, and no marker text on the buttons.
              for (const auto& [id, size] : {std::pair{IDC_REGULAR_HEADSET, QSize(116, 156)},
                                             std::pair{IDC_SHROUD_HEADSET, QSize(119, 160)}}) {
                  auto* button = static_cast<QPushButton*>(chooserControl(dialog, id));
                  EXPECT_EQ(button->iconSize(), size);
                  EXPECT_FALSE(button->icon().isNull());
                  EXPECT_TRUE(button->text().isEmpty());
              }
              EXPECT_FALSE(shown(dialog, IDC_DIALOG)) << "the main window waits for the chooser";
              c.leave(dialog);
          }},
         {"Start offered", ready, [&](QtDialog& dialog, CBrennicDFUDlg&) {
              picture = static_cast<QLabel*>(dialog.control(IDC_DEVICE_ICON))->pixmap().size();
              dialog.close();  // the close box; the ready state may be closed
          }}});
    EXPECT_EQ(end.stepsTaken, 2u);
    EXPECT_EQ(end.shroud, c.shroud);
    EXPECT_EQ(picture, c.picture);
    EXPECT_EQ(end.exitCode, 130);
}

INSTANTIATE_TEST_SUITE_P(
    WaysOut, ChooserTest,
    testing::Values(
        ChooserCase{"RegularPicture",
                    {},
                    [](QtDialog& d) { clickChooserPicture(d, IDC_REGULAR_HEADSET); },
                    false,
                    {116, 156}},
        ChooserCase{"ShroudPicture",
                    {},
                    [](QtDialog& d) { clickChooserPicture(d, IDC_SHROUD_HEADSET); },
                    true,
                    {119, 160}},
        ChooserCase{"Escape",
                    {},
                    [](QtDialog& d) { QTest::keyClick(d.openChooser(), Qt::Key_Escape); },
                    false,
                    {116, 156}},
        ChooserCase{
            "CloseBox", {}, [](QtDialog& d) { d.openChooser()->close(); }, false, {116, 156}},
        ChooserCase{"RegularPictureWithShroudSwitch",
                    {"/SHROUD"},
                    [](QtDialog& d) { clickChooserPicture(d, IDC_REGULAR_HEADSET); },
                    true,
                    {119, 160}},
        ChooserCase{"EscapeWithShroudSwitch",
                    {"/SHROUD"},
                    [](QtDialog& d) { QTest::keyClick(d.openChooser(), Qt::Key_Escape); },
                    true,
                    {119, 160}}),
    [](const testing::TestParamInfo<ChooserCase>& info) { return info.param.name; });

// --- Whole runs, per language ----------------------------------------------------------------

struct LanguageCase {
    const char* name;
    const char* locale;
    const char* title;
    const char* start;
    const char* close;
    const char* updating;
    const char* success;
    const char* customerCare;
    const char* link;
};

const LanguageCase kLanguages[] = {
    {"en", "C.UTF-8", "Halvorix Zeltor Wireless Update Tool 112.2.212", "Start", "Close",
     "Updating firmware. Do not unplug your Zeltor Wireless.",
     "You have successfully updated the firmware.",
     "An error occurred. Please contact Customer Care for further assistance at "
     "https://support.halvorix.com.",
     "Zeltor Headset Troubleshooting FAQ"},
    {"de", "de_DE.UTF-8", "Halvorix Zeltor Wireless Update-Tool 112.2.212", "Starten", "Schließen",
     "Firmware wird aktualisiert. Trennen Sie Ihr Zeltor Wireless nicht vom Computer.",
     "Die Firmware wurde erfolgreich aktualisiert.",
     "Ein Fehler ist aufgetreten. Weitere Unterstützung erhalten Sie vom Kundendienst unter "
     "https://support.halvorix.com.",
     "FAQ zur Fehlerbehebung für das Zeltor-Headset"},
    {"ja", "ja_JP.UTF-8", "Tesmoray Zeltor Wireless アップデートツール 112.2.212", "開始", "閉じる",
     "ファームウェアをアップデートしています。Zeltor Wirelessを取り外さないでください。",
     "ファームウェアのアップデートが完了しました。",
     "エラーが発生しました。お困りの場合は、カスタマーサポートまでお問い合わせください："
     "https://support.tesmoray.jp.",
     "Zeltor ヘッドセット トラブルシューティング FAQ"},
};

void PrintTo(const LanguageCase& l, std::ostream* out) {
    *out << l.name;
}

class LanguageTest : public testing::TestWithParam<LanguageCase> {
protected:
    void SetUp() override { setLanguage(GetParam().locale); }
    void TearDown() override { setLanguage("C.UTF-8"); }
    std::string shot(const char* stage) const { return std::string(GetParam().name) + "-" + stage; }
};

TEST_P(LanguageTest, AWholeUpdateFromStartToClose) {
    const LanguageCase& l = GetParam();
    DfuState refusedIn = DFU_STATE_STARTING;
    const StoryEnd end = runStory(
        {"/SIMULATE", "/INSTANT"},
        {{"the chooser", chooserOpen,
          [&](QtDialog& dialog, CBrennicDFUDlg&) {
              expectChooserLayout(dialog);
              expectFits(chooserControl(dialog, IDC_CHOOSE_DESCRIPTION));
              saveScreenshot(*dialog.openChooser(), shot("chooser"));
              clickChooserPicture(dialog, IDC_REGULAR_HEADSET);
          }},
         {"Start offered", ready,
          [&](QtDialog& dialog, CBrennicDFUDlg&) {
              EXPECT_EQ(dialog.windowTitle().toStdString(), l.title);
              EXPECT_FALSE(dialog.windowIcon().pixmap(32, 32).isNull());
              EXPECT_EQ(controlText(dialog.control(IDC_START)).toStdString(), l.start);
              // Both buttons have their captions from the start, although Close is hidden.
              EXPECT_EQ(controlText(dialog.control(IDC_CLOSE)).toStdString(), l.close);
              expectShown(dialog, true, false, false, false);
              EXPECT_TRUE(enabled(dialog, IDC_START));
              EXPECT_TRUE(controlText(dialog.control(IDC_INSTRUCTIONS)).isEmpty());
              EXPECT_TRUE(dialog.control(IDC_INSTRUCTIONS)->font().bold());
              auto* notes = static_cast<QListWidget*>(dialog.control(IDC_RELEASE_NOTES));
              ASSERT_EQ(notes->count(), 1);
              EXPECT_TRUE(notes->item(0)->text().startsWith(QStringLiteral("* ")));
              for (const int id :
                   {IDC_DIALOG, IDC_HEADING, IDC_WARNING, IDC_RELEASE_NOTES_CAPTION}) {
                  EXPECT_FALSE(controlText(dialog.control(id)).contains(QStringLiteral("__")))
                      << "marker left in control " << id;
              }
              expectMainLayout(dialog);
              expectAllFit(dialog);
              saveScreenshot(dialog, shot("ready"));
              QTest::mouseClick(dialog.control(IDC_START), Qt::LeftButton);
          }},
         // The headset's plan is about a quarter of all packets, the dongle's the rest.
         {"an eighth of the packets sent",
          [](QtDialog& dialog, CBrennicDFUDlg& controller) {
              auto* bar = static_cast<QProgressBar*>(dialog.control(IDC_PROGRESS));
              return controller.state() == DFU_STATE_UPDATE_HEADSET &&
                     bar->value() * 8 >= bar->maximum();
          },
          [&](QtDialog& dialog, CBrennicDFUDlg& controller) {
              EXPECT_EQ(controlText(dialog.control(IDC_INSTRUCTIONS)).toStdString(), l.updating);
              expectShown(dialog, false, false, true, true);
              expectAllFit(dialog);
              saveScreenshot(dialog, shot("updating"));
              // Every way of closing is refused while the headset is written.
              refusedIn = controller.state();
              dialog.close();
              QTest::keyClick(&dialog, Qt::Key_Escape);
              QTest::keyClick(&dialog, Qt::Key_Return);
              EXPECT_FALSE(dialog.ended());
              EXPECT_EQ(controller.state(), refusedIn);
          }},
         {"success", [](QtDialog&, CBrennicDFUDlg& c) { return c.state() == DFU_STATE_SUCCESS; },
          [&](QtDialog& dialog, CBrennicDFUDlg&) {
              EXPECT_EQ(controlText(dialog.control(IDC_INSTRUCTIONS)).toStdString(), l.success);
              expectShown(dialog, false, true, false, false);
              EXPECT_TRUE(enabled(dialog, IDC_CLOSE));
              expectAllFit(dialog);
              saveScreenshot(dialog, shot("success"));
              QTest::mouseClick(dialog.control(IDC_CLOSE), Qt::LeftButton);
              EXPECT_TRUE(dialog.ended());
          }}});
    EXPECT_EQ(refusedIn, DFU_STATE_UPDATE_HEADSET);
    EXPECT_EQ(end.stepsTaken, 4u);
    EXPECT_EQ(end.exitCode, 0);
    EXPECT_NE(end.verdict.find("both paired"), std::string::npos) << end.verdict;
}

TEST_P(LanguageTest, SixFailuresEndInCustomerCareWithTheTroubleshootingLink) {
    const LanguageCase& l = GetParam();
    const StoryEnd end = runStory(
        {"/SIMULATE=" + kScenarios + "/six-failures.json", "/INSTANT"},
        {{"the chooser", chooserOpen,
          [](QtDialog& dialog, CBrennicDFUDlg&) {
              clickChooserPicture(dialog, IDC_REGULAR_HEADSET);
          }},
         {"Start offered", ready,
          [](QtDialog& dialog, CBrennicDFUDlg&) {
              QTest::mouseClick(dialog.control(IDC_START), Qt::LeftButton);
          }},
         {"customer care",
          [](QtDialog&, CBrennicDFUDlg& controller) {
              // From the sixth failure on, the customer-care text replaces the replug request.
              return controller.state() == DFU_STATE_FAILED && controller.failedRetries() >= 6;
          },
          [&](QtDialog& dialog, CBrennicDFUDlg& controller) {
              EXPECT_EQ(controller.failedRetries(), 6u);
              expectShown(dialog, false, false, false, true);
              EXPECT_EQ(controlText(dialog.control(IDC_INSTRUCTIONS)).toStdString(),
                        l.customerCare);
              auto* link = static_cast<QLabel*>(dialog.control(IDC_STATUS_LINK));
              EXPECT_EQ(link->textFormat(), Qt::RichText);
              QTextDocument document;
              document.setHtml(link->text());
              EXPECT_EQ(document.toPlainText().toStdString(), l.link);
              expectAllFit(dialog);
              saveScreenshot(dialog, shot("failure"));
              // The link's text starts at the label's left edge.
              QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier,
                                QPoint(4, link->fontMetrics().height() / 2));
          }},
         {"closing after the failure", [](QtDialog&, CBrennicDFUDlg&) { return true; },
          [](QtDialog& dialog, CBrennicDFUDlg&) {
              dialog.close();
              EXPECT_TRUE(dialog.ended());
          }}});
    EXPECT_EQ(end.stepsTaken, 4u);
    EXPECT_EQ(end.exitCode, 1);
    ASSERT_EQ(end.launches.size(), 1u);
    EXPECT_EQ(end.launches[0].file,
              "https://support.halvorix.com/en_us/article/"
              "Recover-a-non-responsive-Brennic-gaming-headset");
    EXPECT_EQ(end.launches[0].operation, "open");
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageTest, testing::ValuesIn(kLanguages),
                         [](const testing::TestParamInfo<LanguageCase>& info) {
                             return info.param.name;
                         });

}  // namespace
}  // namespace zeltor
