#include "ui/editor/color_scheme_dlg.h"

#include "ui/commands/services.h"
#include "ui/editor/editor_look_commands.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <array>

namespace bivora {

namespace {

constexpr std::array<QRgb, 16> kStandardColors = {
    qRgb(0, 0, 0),       qRgb(255, 255, 255), qRgb(128, 0, 0),   qRgb(0, 128, 0),
    qRgb(128, 128, 0),   qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128),
    qRgb(192, 192, 192), qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),
    qRgb(255, 255, 0),   qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255),
};

constexpr int kColorRole = Qt::UserRole;
constexpr int kAutoRole = Qt::UserRole + 1;

// A colour item: a black frame, the colour 2 pixels inside, and "Auto" in the
// inverse colour for the Auto item.
class ColorItemDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QColor color = QColor::fromRgb(index.data(kColorRole).value<QRgb>());
        const QRect frame = option.rect.adjusted(1, 1, -2, -2);
        painter->save();
        painter->setPen(Qt::black);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(frame);
        painter->fillRect(frame.adjusted(2, 2, -1, -1), color);
        if (index.data(kAutoRole).toBool()) {
            painter->setPen(QColor(color.rgb() ^ 0x00FFFFFF));
            painter->drawText(frame, Qt::AlignCenter, QStringLiteral("Auto"));
        }
        if (option.state & QStyle::State_Selected) {
            painter->setPen(QPen(option.palette.color(QPalette::Highlight), 1, Qt::DotLine));
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index).expandedTo(QSize(80, 20));
    }
};

QIcon Swatch(QColor color)
{
    QPixmap pixmap(48, 14);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

} // namespace

QColor ColorFromRef(std::int64_t ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

std::int64_t RefFromColor(QColor color)
{
    return std::int64_t(color.red()) | std::int64_t(color.green()) << 8 | std::int64_t(color.blue()) << 16;
}

ColorCombo::ColorCombo(QColor autoColor, QWidget* parent) : QComboBox(parent)
{
    setItemDelegate(new ColorItemDelegate(this));
    setIconSize(QSize(48, 14));
    for (QRgb rgb : kStandardColors) {
        addItem(Swatch(QColor(rgb)), QString());
        setItemData(count() - 1, QVariant::fromValue(rgb), kColorRole);
    }
    insertItem(0, Swatch(autoColor), QStringLiteral("Auto"));
    setItemData(0, QVariant::fromValue(autoColor.rgb()), kColorRole);
    setItemData(0, true, kAutoRole);
}

QColor ColorCombo::ItemColor(int index) const
{
    return QColor::fromRgb(itemData(index, kColorRole).value<QRgb>());
}

void ColorCombo::SelectColor(QColor color)
{
    for (int i = 0; i < count(); ++i) {
        if (ItemColor(i).rgb() == color.rgb()) {
            setCurrentIndex(i);
            return;
        }
    }
    setCurrentIndex(-1);
}

std::int64_t ColorCombo::ChosenColor() const
{
    const int index = currentIndex();
    return index <= 0 ? -1 : RefFromColor(ItemColor(index));
}

ColorSchemeDlg::ColorSchemeDlg(Values values, const CharFormat& font, Prompts& prompts, QWidget* parent)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_values(values)
{
    setWindowTitle(QStringLiteral("Editor color scheme"));
    const QPalette system = QApplication::palette();
    m_foreground = new ColorCombo(system.color(QPalette::Text), this);
    m_background = new ColorCombo(system.color(QPalette::Base), this);
    m_override = new QCheckBox(QStringLiteral("&Apply the same colors for Read Only mode"), this);
    m_override->setChecked(values.overrideReadOnly);
    m_sample = new QLabel(QStringLiteral("Sample 123"), this);
    m_sample->setFont(EditorFont(font));
    m_sample->setAutoFillBackground(true);
    m_sample->setFrameShape(QFrame::StyledPanel);
    m_sample->setMinimumHeight(48);
    m_sample->setAlignment(Qt::AlignCenter);

    auto* foreLabel = new QLabel(QStringLiteral("&Foreground"), this);
    foreLabel->setBuddy(m_foreground);
    auto* backLabel = new QLabel(QStringLiteral("&Background"), this);
    backLabel->setBuddy(m_background);
    auto* grid = new QGridLayout;
    grid->addWidget(foreLabel, 0, 0);
    grid->addWidget(m_foreground, 0, 1);
    grid->addWidget(backLabel, 1, 0);
    grid->addWidget(m_background, 1, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Ok"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_override);
    layout->addWidget(m_sample);
    layout->addWidget(buttons);

    m_foreground->SelectColor(values.foreground < 0 ? system.color(QPalette::Text) : ColorFromRef(values.foreground));
    m_background->SelectColor(values.background < 0 ? system.color(QPalette::Base) : ColorFromRef(values.background));
    connect(m_foreground, &QComboBox::currentIndexChanged, this, &ColorSchemeDlg::UpdateSample);
    connect(m_background, &QComboBox::currentIndexChanged, this, &ColorSchemeDlg::UpdateSample);
    UpdateSample();
}

void ColorSchemeDlg::UpdateSample()
{
    QPalette palette = m_sample->palette();
    if (m_foreground->currentIndex() >= 0)
        palette.setColor(QPalette::WindowText, m_foreground->ItemColor(m_foreground->currentIndex()));
    if (m_background->currentIndex() >= 0)
        palette.setColor(QPalette::Window, m_background->ItemColor(m_background->currentIndex()));
    m_sample->setPalette(palette);
}

void ColorSchemeDlg::accept()
{
    const std::int64_t foreground = m_foreground->ChosenColor();
    const std::int64_t background = m_background->ChosenColor();
    if (foreground != -1 && foreground == background) {
        m_prompts.Message(this, QStringLiteral("The two colors should not be the same"), Prompts::Icon::Exclamation);
        m_foreground->setFocus();
        return;
    }
    m_values = {foreground, background, m_override->isChecked()};
    QDialog::accept();
}

} // namespace bivora
