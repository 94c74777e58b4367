#include "platform/dialogs/FontDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

constexpr double DefaultPointSize = 9.0;
constexpr double MinPointSize = 1.0;
constexpr double MaxPointSize = 1638.0;

QString sizeText(double points)
{
    return QString::number(points, 'g', 6);
}

QIcon colorSwatch(const QColor& color)
{
    QPixmap swatch(16, 16);
    swatch.fill(color);
    return QIcon(swatch);
}

} // namespace

FontDialog::FontDialog(const FontChoice& initial, long flags, QWidget* parent)
    : QDialog(parent), m_effects(flags & ShowEffects)
{
    setWindowTitle(tr("Font"));
    setObjectName(QStringLiteral("FontDialog"));

    m_name = new QFontComboBox(this);
    m_name->setObjectName(QStringLiteral("fontName"));
    m_name->setCurrentFont(QFont(initial.name.isEmpty() ? QFont().family() : initial.name));

    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("fontSize"));
    m_size->setEditable(true);
    m_size->setInsertPolicy(QComboBox::NoInsert);
    for (int points : QFontDatabase::standardSizes())
        m_size->addItem(QString::number(points));
    m_size->lineEdit()->setValidator(new QDoubleValidator(MinPointSize, MaxPointSize, 2, m_size));
    m_size->setEditText(sizeText(initial.size > 0 ? initial.size : DefaultPointSize));

    m_bold = new QCheckBox(tr("&Bold"), this);
    m_bold->setChecked(initial.bold);
    m_italic = new QCheckBox(tr("&Italic"), this);
    m_italic->setChecked(initial.italic);

    auto* form = new QFormLayout;
    form->addRow(tr("&Font:"), m_name);
    form->addRow(tr("&Size:"), m_size);
    auto* style = new QHBoxLayout;
    style->addWidget(m_bold);
    style->addWidget(m_italic);
    style->addStretch();
    form->addRow(tr("Style:"), style);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);

    // Without the effects the dialog passes these through unchanged.
    m_underline = new QCheckBox(tr("&Underline"), this);
    m_underline->setChecked(initial.underline);
    m_strikeout = new QCheckBox(tr("Stri&keout"), this);
    m_strikeout->setChecked(initial.strikethru);
    m_colorButton = new QPushButton(tr("&Color..."), this);
    m_colorButton->setObjectName(QStringLiteral("fontColor"));
    m_color = initial.color.isValid() ? initial.color : QColor(Qt::black);
    if (m_effects) {
        auto* effects = new QGroupBox(tr("Effects"), this);
        auto* effectsLayout = new QHBoxLayout(effects);
        effectsLayout->addWidget(m_strikeout);
        effectsLayout->addWidget(m_underline);
        effectsLayout->addWidget(m_colorButton);
        effectsLayout->addStretch();
        layout->addWidget(effects);
    } else {
        m_underline->hide();
        m_strikeout->hide();
        m_colorButton->hide();
    }
    connect(m_colorButton, &QPushButton::clicked, this, &FontDialog::chooseColor);

    m_sample = new QLabel(tr("AaBbYyZz"), this);
    m_sample->setObjectName(QStringLiteral("fontSample"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumHeight(60);
    m_sample->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(m_sample);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    if (flags & ShowApply) {
        m_apply = buttons->addButton(QDialogButtonBox::Apply);
        m_apply->setObjectName(QStringLiteral("fontApply"));
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_name, &QFontComboBox::currentFontChanged, this, &FontDialog::updateSample);
    connect(m_size, &QComboBox::currentTextChanged, this, &FontDialog::updateSample);
    for (QCheckBox* box : {m_bold, m_italic, m_underline, m_strikeout})
        connect(box, &QCheckBox::toggled, this, &FontDialog::updateSample);
    setColor(m_color);
}

FontChoice FontDialog::choice() const
{
    FontChoice result;
    result.name = m_name->currentFont().family();
    bool ok = false;
    const double size = m_size->currentText().toDouble(&ok);
    result.size = ok && size >= MinPointSize ? std::min(size, MaxPointSize) : DefaultPointSize;
    result.bold = m_bold->isChecked();
    result.italic = m_italic->isChecked();
    result.underline = m_underline->isChecked();
    result.strikethru = m_strikeout->isChecked();
    result.color = m_color;
    return result;
}

void FontDialog::setColor(const QColor& color)
{
    m_color = color;
    m_colorButton->setIcon(colorSwatch(color));
    updateSample();
}

void FontDialog::chooseColor()
{
    const QColor chosen = QColorDialog::getColor(m_color, this);
    if (chosen.isValid())
        setColor(chosen);
}

void FontDialog::updateSample()
{
    const FontChoice now = choice();
    QFont font(now.name);
    font.setPointSizeF(now.size);
    font.setBold(now.bold);
    font.setItalic(now.italic);
    font.setUnderline(now.underline);
    font.setStrikeOut(now.strikethru);
    m_sample->setFont(font);
    QPalette palette = m_sample->palette();
    palette.setColor(QPalette::WindowText, m_color);
    m_sample->setPalette(palette);
}
