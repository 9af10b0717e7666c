#include "ui/editor/editor_look_commands.h"

#include "base/editor_settings.h"
#include "ui/commands/services.h"
#include "ui/editor/color_scheme_dlg.h"
#include "ui/editor/editor_context.h"
#include "ui/editor/editor_text_commands.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace bivora {

namespace {

// a * b / c rounded to the nearest, halves away from zero
std::int32_t MulDiv(std::int64_t a, std::int64_t b, std::int64_t c)
{
    const std::int64_t product = a * b;
    const std::int64_t half = c / 2;
    return static_cast<std::int32_t>(product >= 0 ? (product + half) / c : (product - half) / c);
}

// Runs a change of the whole text's format that must not count as an edit.
template <typename Change>
void KeepingModified(QPlainTextEdit& text, Change change)
{
    const bool modified = text.document()->isModified();
    change();
    text.document()->setModified(modified);
}

void MergeWholeText(QPlainTextEdit& text, const QTextCharFormat& format)
{
    QTextCursor cursor(text.document());
    cursor.select(QTextCursor::Document);
    cursor.mergeCharFormat(format);
}

constexpr const char* kMarginNames[4] = {"left", "top", "right", "bottom"};
constexpr const char* kMarginLabels[4] = {"Left", "Top", "Right", "Bottom"};

void MakeWindowModal(QDialog& dialog)
{
    dialog.setWindowModality(Qt::WindowModal);
}

CharFormat CharFormatFromFont(const QFont& font, const CharFormat& old)
{
    CharFormat format = old;
    format.height = static_cast<std::int32_t>(std::lround(font.pointSizeF() * 20));
    if (format.height <= 0 || format.height > kMaxFormatHeight)
        format.height = kDefaultFormatHeight;
    format.bold = font.weight() > 500;
    format.italic = font.italic();
    format.underline = font.underline();
    format.faceName = CutFaceName(font.family().toStdString());
    // the pitch bits of the stored format: 1 fixed, 2 variable
    format.pitchAndFamily = (old.pitchAndFamily & ~0x03) | (QFontInfo(font).fixedPitch() ? 0x01 : 0x02);
    return format;
}

} // namespace

QFont EditorFont(const CharFormat& format)
{
    if (format.height <= 0)
        return QFontDatabase::systemFont(QFontDatabase::FixedFont);
    QFont font(QString::fromStdString(format.faceName));
    font.setPointSizeF(format.height / 20.0);
    font.setBold(format.bold);
    font.setItalic(format.italic);
    font.setUnderline(format.underline);
    if ((format.pitchAndFamily & 0x03) == 0x01)
        font.setStyleHint(QFont::TypeWriter);
    return font;
}

void ApplyColors(const EditorShared& shared, EditorViewState& view)
{
    const EditorSettings& settings = shared.settings;
    const QPalette system = QApplication::palette();
    QColor foreground = system.color(QPalette::Text);
    QColor background = system.color(view.readOnly ? QPalette::Window : QPalette::Base);
    if (settings.overrideReadOnlyColors || !view.readOnly) {
        if (settings.foreColor != -1)
            foreground = ColorFromRef(settings.foreColor);
        if (settings.backColor != -1)
            background = ColorFromRef(settings.backColor);
    }
    QPalette palette = view.text.palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, foreground);
    view.text.setPalette(palette);
    // Plain text takes its colour from the palette; rich text carries colours of its own.
    if (view.rich) {
        KeepingModified(view.text, [&] {
            QTextCharFormat format;
            format.setForeground(foreground);
            MergeWholeText(view.text, format);
        });
    }
}

void ApplyFont(const EditorShared& shared, EditorViewState& view)
{
    const QFont font = EditorFont(shared.settings.font);
    KeepingModified(view.text, [&] {
        view.text.setFont(font);
        view.text.document()->setDefaultFont(font);
        if (view.rich) {
            QTextCharFormat format;
            format.setFont(font, QTextCharFormat::FontPropertiesAll);
            MergeWholeText(view.text, format);
        }
    });
    ApplyTabStops(view.text, std::clamp(shared.settings.tabWidth, 1, 32));
}

std::unique_ptr<QTextDocument> LayOutForPrinter(const QPlainTextEdit& text, QPrinter& printer)
{
    std::unique_ptr<QTextDocument> copy(text.document()->clone());
    copy->documentLayout()->setPaintDevice(&printer);
    copy->setDocumentMargin(0);
    // The tab interval stays in screen pixels: the layout scales it to the printer.
    QTextOption option = copy->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    copy->setDefaultTextOption(option);
    copy->setPageSize(printer.pageLayout().paintRectPixels(printer.resolution()).size());
    return copy;
}

bool PrintText(const QPlainTextEdit& text, const PageMargins& margins, QPrinter& printer)
{
    if (text.document()->isEmpty())
        return true;
    // twips are twentieths of a point
    printer.setPageMargins(QMarginsF(margins.left / 20.0, margins.top / 20.0, margins.right / 20.0,
                                     margins.bottom / 20.0),
                           QPageLayout::Point);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;

    const std::unique_ptr<QTextDocument> copy = LayOutForPrinter(text, printer);
    const QSizeF page = copy->pageSize();
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    const int pages = copy->pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !printer.newPage())
            return false;
        painter.save();
        painter.translate(0, -i * page.height());
        context.clip = QRectF(0, i * page.height(), page.width(), page.height());
        painter.setClipRect(context.clip);
        copy->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    return painter.end() && printer.printerState() != QPrinter::Error;
}

QPrinter& EditorPrinter()
{
    // made on first use and kept to the end: a printer must not outlive the application
    // in a static's destructor
    static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
    return *printer;
}

EditorLookCommands::EditorLookCommands(EditorShared& shared, EditorViewState& view)
    : m_shared(shared)
    , m_view(view)
{
}

bool EditorLookCommands::OnCommand(int id)
{
    switch (id) {
    case kSetColors:
        SetColors();
        return true;
    case kSetFont:
        SetFont();
        return true;
    case kPageSetup:
        PageSetup();
        return true;
    case kPrint:
        Print();
        return true;
    default:
        return false;
    }
}

bool EditorLookCommands::OnUpdateCommand(int id, CommandState& state)
{
    if (id != kSetColors && id != kSetFont && id != kPageSetup && id != kPrint)
        return false;
    state.enabled = true;
    return true;
}

void EditorLookCommands::SetColors()
{
    EditorSettings& settings = m_shared.settings;
    ColorSchemeDlg dialog({settings.foreColor, settings.backColor, settings.overrideReadOnlyColors}, settings.font,
                          m_shared.prompts, &m_view.window);
    MakeWindowModal(dialog);
    if (m_shared.prompts.Exec(dialog) != QDialog::Accepted)
        return;
    const ColorSchemeDlg::Values values = dialog.Result();
    settings.foreColor = values.foreground;
    settings.backColor = values.background;
    settings.overrideReadOnlyColors = values.overrideReadOnly;
    ApplyColors(m_shared, m_view);
}

void EditorLookCommands::SetFont()
{
    EditorSettings& settings = m_shared.settings;
    QFontDialog dialog(EditorFont(settings.font), &m_view.window);
    dialog.setWindowTitle(QStringLiteral("Font"));
    MakeWindowModal(dialog);
    if (m_shared.prompts.Exec(dialog) != QDialog::Accepted)
        return;
    settings.font = CharFormatFromFont(dialog.currentFont(), settings.font);
    ApplyFont(m_shared, m_view);
}

void EditorLookCommands::PageSetup()
{
    // Margins in millimetres to two places: hundredths of a millimetre, converted from
    // and to the stored twips. The paper and printer are chosen in the print dialog
    // (the system's page dialog serves only printers the system drives itself).
    PageMargins& margins = m_shared.settings.margins;
    QDialog dialog(&m_view.window);
    dialog.setWindowTitle(QStringLiteral("Page Setup"));
    auto* form = new QFormLayout;
    std::array<QDoubleSpinBox*, 4> boxes{};
    const std::array<std::int32_t, 4> stored{margins.left, margins.top, margins.right, margins.bottom};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        auto* box = new QDoubleSpinBox(&dialog);
        box->setObjectName(QString::fromLatin1(kMarginNames[i]));
        box->setDecimals(2);
        box->setRange(0, 500);
        box->setSuffix(QStringLiteral(" mm"));
        box->setValue(MulDiv(stored[i], 2540, 1440) / 100.0);
        form->addRow(QStringLiteral("&%1:").arg(QString::fromLatin1(kMarginLabels[i])), box);
        boxes[i] = box;
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    auto* group = new QGroupBox(QStringLiteral("Margins"), &dialog);
    group->setLayout(form);
    layout->addWidget(group);
    layout->addWidget(buttons);
    MakeWindowModal(dialog);
    if (m_shared.prompts.Exec(dialog) != QDialog::Accepted)
        return;
    const auto toTwips = [](const QDoubleSpinBox* box) { return MulDiv(std::llround(box->value() * 100), 1440, 2540); };
    margins = {toTwips(boxes[0]), toTwips(boxes[1]), toTwips(boxes[2]), toTwips(boxes[3])};
}

void EditorLookCommands::Print()
{
    QPrinter& printer = EditorPrinter();
    QPrintDialog dialog(&printer, &m_view.window);
    dialog.setWindowTitle(QStringLiteral("Print"));
    MakeWindowModal(dialog);
    if (m_shared.prompts.Exec(dialog) != QDialog::Accepted)
        return;
    if (!PrintText(m_view.text, m_shared.settings.margins, printer))
        m_shared.prompts.Message(&m_view.window, QStringLiteral("Could not start print job."));
}

} // namespace bivora
