#include "base/grep_settings.h"
#include "base/rtf_reader.h"
#include "base/settings_store.h"
#include "ui/commands/status_service.h"
#include "ui/editor/color_scheme_dlg.h"
#include "ui/editor/editor_context.h"
#include "ui/editor/editor_look_commands.h"
#include "ui/editor/rich_text.h"
#include "../test_services.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QDoubleSpinBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace bivora {
namespace {

using test::ScriptedPrompts;

class NoStatus final : public StatusService {
public:
    void ShowStatusMessage(const QString&, bool) override {}
    void ShowProgress(const QString&) override {}
    void StepProgress() override {}
    void HideProgress() override {}
    void SetPaneStatusText(const QString&) override {}
};

struct EditorLookTest : ::testing::Test {
    MemorySettingsStore store;
    ScriptedPrompts prompts;
    GrepSettings grep;
    EditorShared shared{store, prompts, grep, {}, {}, {}, {}, false};
    QWidget window;
    QPlainTextEdit* text = new QPlainTextEdit(&window);
    NoStatus status;
    EditorViewState view{window, *text, status, {}};
    QTemporaryDir dir;

    QColor Text() const { return text->palette().color(QPalette::Text); }
    QColor Base() const { return text->palette().color(QPalette::Base); }

    // The pages of a PDF file; -1 when there is no file.
    int PrintedPages(const QString& path) const
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        const QString pdf = QString::fromLatin1(file.readAll());
        return int(pdf.count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b(?!s)"))));
    }

    int PrintToPdf(const QString& name)
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(name));
        EXPECT_TRUE(PrintText(*text, shared.settings.margins, printer));
        return PrintedPages(dir.filePath(name));
    }
};

TEST_F(EditorLookTest, ColorsFollowTheModeAndTheOverrideAndNeverMarkTheTextModified)
{
    const QPalette system = QApplication::palette();
    const QColor red(255, 0, 0), navy(0, 0, 128);
    const struct {
        bool readOnly, override;
        std::int64_t fore, back;
        QColor text, base;
    } rows[] = {
        {false, false, 0x0000FF, -1, red, system.color(QPalette::Base)},
        {false, false, -1, 0x800000, system.color(QPalette::Text), navy},
        {true, false, 0x0000FF, 0x800000, system.color(QPalette::Text), system.color(QPalette::Window)},
        {true, true, 0x0000FF, 0x800000, red, navy},
        {true, true, -1, -1, system.color(QPalette::Text), system.color(QPalette::Window)},
    };
    for (const auto& row : rows) {
        view.readOnly = row.readOnly;
        shared.settings.overrideReadOnlyColors = row.override;
        shared.settings.foreColor = row.fore;
        shared.settings.backColor = row.back;
        ApplyColors(shared, view);
        EXPECT_EQ(Text(), row.text) << row.readOnly << row.override;
        EXPECT_EQ(Base(), row.base) << row.readOnly << row.override;
    }

    // Rich text takes the colour over its own; neither colours nor font make an edit.
    ShowRichText(*text, ReadRtf(R"({\rtf1{\colortbl;\red0\green128\blue0;}\cf1\fs40 green {\b bold}})"));
    view.rich = true;
    shared.settings.font.height = 300;
    shared.settings.font.faceName = "Monospace";
    for (bool modified : {false, true}) {
        text->document()->setModified(modified);
        ApplyColors(shared, view);
        ApplyFont(shared, view);
        EXPECT_EQ(text->document()->isModified(), modified);
    }
    const QTextCharFormat format = text->document()->begin().begin().fragment().charFormat();
    EXPECT_EQ(format.foreground().color(), Text());
    EXPECT_EQ(format.fontPointSize(), 15);
    EXPECT_EQ(text->font().pointSize(), 15);
}

TEST_F(EditorLookTest, ColorSchemeDialogRefusesEqualColorsAndStoresTheChoice)
{
    shared.settings.foreColor = -1;
    shared.settings.backColor = 0x800000; // navy
    view.readOnly = false;
    int refusedResult = -1;
    prompts.AnswerDialog([&](QDialog& dialog) {
        auto& scheme = dynamic_cast<ColorSchemeDlg&>(dialog);
        EXPECT_EQ(scheme.windowTitle(), "Editor color scheme");
        EXPECT_EQ(scheme.Foreground().currentIndex(), 0); // Auto
        EXPECT_EQ(scheme.Foreground().itemText(0), "Auto");
        EXPECT_EQ(scheme.Background().ItemColor(scheme.Background().currentIndex()), QColor(0, 0, 128));
        EXPECT_EQ(scheme.Sample().text(), "Sample 123");
        EXPECT_EQ(scheme.Sample().palette().color(QPalette::Window), QColor(0, 0, 128));

        scheme.Foreground().SelectColor(QColor(0, 0, 128));
        EXPECT_EQ(scheme.Sample().palette().color(QPalette::WindowText), QColor(0, 0, 128));
        scheme.accept();
        refusedResult = scheme.result();
        scheme.Foreground().SelectColor(QColor(255, 255, 0));
        scheme.OverrideReadOnly().setChecked(true);
        scheme.accept();
        return scheme.result();
    });
    EXPECT_TRUE(EditorLookCommands(shared, view).OnCommand(EditorLookCommands::kSetColors));
    EXPECT_EQ(refusedResult, QDialog::Rejected);
    EXPECT_EQ(prompts.Texts(ScriptedPrompts::Kind::Message), QStringList{"The two colors should not be the same"});
    EXPECT_EQ(shared.settings.foreColor, 0x00FFFF);
    EXPECT_EQ(shared.settings.backColor, 0x800000);
    EXPECT_TRUE(shared.settings.overrideReadOnlyColors);
    EXPECT_EQ(Text(), QColor(255, 255, 0));

    // Auto for both is allowed; a cancelled dialog changes nothing.
    prompts.AnswerDialog([](QDialog& dialog) {
        auto& scheme = dynamic_cast<ColorSchemeDlg&>(dialog);
        scheme.Foreground().setCurrentIndex(0);
        scheme.Background().setCurrentIndex(0);
        scheme.accept();
        return scheme.result();
    });
    EditorLookCommands(shared, view).OnCommand(EditorLookCommands::kSetColors);
    EXPECT_EQ(shared.settings.foreColor, -1);
    EXPECT_EQ(shared.settings.backColor, -1);
    EditorLookCommands(shared, view).OnCommand(EditorLookCommands::kSetColors); // unanswered: cancelled
    EXPECT_EQ(shared.settings.foreColor, -1);
}

TEST_F(EditorLookTest, FontAndPageSetupDialogsStoreWhatWasChosen)
{
    EditorLookCommands commands(shared, view);
    QFont chosen;
    prompts.AnswerDialog([&](QDialog& dialog) {
        auto& fonts = dynamic_cast<QFontDialog&>(dialog);
        QFont font(QFontDatabase::systemFont(QFontDatabase::FixedFont).family(), 15);
        font.setBold(true);
        fonts.setCurrentFont(font);
        chosen = fonts.currentFont(); // as far as the fonts at hand allow
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(commands.OnCommand(EditorLookCommands::kSetFont));
    EXPECT_EQ(shared.settings.font.height, 300);
    EXPECT_EQ(shared.settings.font.bold, chosen.bold());
    EXPECT_EQ(shared.settings.font.faceName, chosen.family().toStdString());
    EXPECT_EQ(text->font().pointSize(), 15);
    EXPECT_EQ(text->font().family(), chosen.family());

    // The dialog works in millimetres and shows the stored margins.
    qreal shownLeft = 0;
    prompts.AnswerDialog([&](QDialog& dialog) {
        const auto box = [&](const char* name) { return dialog.findChild<QDoubleSpinBox*>(name); };
        shownLeft = box("left")->value();
        box("left")->setValue(20);
        box("top")->setValue(10);
        box("right")->setValue(0);
        box("bottom")->setValue(25.4);
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(commands.OnCommand(EditorLookCommands::kPageSetup));
    EXPECT_DOUBLE_EQ(shownLeft, 5.47);
    const PageMargins& margins = shared.settings.margins;
    EXPECT_EQ((std::array{margins.left, margins.top, margins.right, margins.bottom}),
              (std::array{1134, 567, 0, 1440}));
    commands.OnCommand(EditorLookCommands::kPageSetup); // cancelled
    EXPECT_EQ(margins.left, 1134);
}

TEST_F(EditorLookTest, PrintingFillsPagesWithinTheMargins)
{
    EXPECT_EQ(PrintToPdf("empty.pdf"), -1); // nothing to print, no job
    text->setPlainText("one short line");
    EXPECT_EQ(PrintToPdf("short.pdf"), 1);

    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << QStringLiteral("line %1 of a text longer than one page").arg(i);
    text->setPlainText(lines.join('\n'));
    const int narrow = PrintToPdf("narrow.pdf");
    EXPECT_GT(narrow, 1);
    shared.settings.margins = {2880, 2880, 2880, 2880}; // two inches
    EXPECT_GT(PrintToPdf("wide.pdf"), narrow);

    // The Print command prints to the file the dialog chose.
    prompts.AnswerDialog([&](QDialog& dialog) {
        QPrinter& printer = *dynamic_cast<QPrintDialog&>(dialog).printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("command.pdf"));
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(EditorLookCommands(shared, view).OnCommand(EditorLookCommands::kPrint));
    EXPECT_GT(PrintedPages(dir.filePath("command.pdf")), narrow);
}

// The x of the last character of a line, the layout done first.
qreal XOfLastCharacter(QTextDocument& document, int line)
{
    const QTextBlock block = document.findBlockByNumber(line);
    document.documentLayout()->blockBoundingRect(block);
    return block.layout()->lineAt(0).cursorToX(block.length() - 2);
}

TEST_F(EditorLookTest, TabReachesAsFarAsItsWidthInZerosOnScreenAndOnPaper)
{
    // a proportional font, where a zero is wider than a space
    shared.settings.font.faceName = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family().toStdString();
    shared.settings.font.height = 240;
    shared.settings.font.pitchAndFamily = 2;
    shared.settings.tabWidth = 3;
    text->setPlainText(QStringLiteral("\tX\n000X\n   X"));
    ApplyFont(shared, view);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("tabs.pdf"));
    const std::unique_ptr<QTextDocument> paper = LayOutForPrinter(*text, printer);
    ASSERT_EQ(paper->pageCount(), 1);
    for (QTextDocument* document : {text->document(), paper.get()}) {
        const qreal tab = XOfLastCharacter(*document, 0);
        const qreal zeros = XOfLastCharacter(*document, 1);
        EXPECT_NEAR(tab, zeros, zeros * 0.02 + 1) << (document == paper.get() ? "paper" : "screen");
        if (XOfLastCharacter(*document, 2) < zeros * 0.9) {
            EXPECT_GT(tab, XOfLastCharacter(*document, 2) * 1.1) << "a tab is measured in zeros, not spaces";
        }
    }
}

TEST_F(EditorLookTest, RichTextShowsItsRunsUnmodifiedAndWithoutUndo)
{
    ShowRichText(*text, ReadRtf(R"({\rtf1{\colortbl;\red255\green0\blue0;}{\b bold} \i it\par\cf1\fs40 red\line two})"));
    EXPECT_EQ(text->toPlainText(), "bold it\nred\ntwo");
    EXPECT_EQ(text->document()->blockCount(), 2);
    EXPECT_FALSE(text->document()->isModified());
    EXPECT_FALSE(text->document()->isUndoAvailable());
    struct Expected {
        int block;
        QString text;
        bool bold, italic;
        qreal points;
        QColor color;
    };
    const Expected expected[] = {
        {0, "bold", true, false, 12, QColor()},
        {0, " ", false, false, 12, QColor()},
        {0, "it", false, true, 12, QColor()},
        {1, QString::fromUtf8("red\u2028two"), false, true, 20, QColor(255, 0, 0)},
    };
    std::vector<Expected> seen;
    int block = 0;
    for (QTextBlock b = text->document()->begin(); b.isValid(); b = b.next(), ++block) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            seen.push_back({block, it.fragment().text(), f.fontWeight() == QFont::Bold, f.fontItalic(),
                            f.fontPointSize(), f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color() : QColor()});
        }
    }
    ASSERT_EQ(seen.size(), std::size(expected));
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].block, expected[i].block) << i;
        EXPECT_EQ(seen[i].text, expected[i].text) << i;
        EXPECT_EQ(seen[i].bold, expected[i].bold) << i;
        EXPECT_EQ(seen[i].italic, expected[i].italic) << i;
        EXPECT_EQ(seen[i].points, expected[i].points) << i;
        EXPECT_EQ(seen[i].color, expected[i].color) << i;
    }
}

} // namespace
} // namespace bivora
