#include "view/PageSetupDialog.h"

#include "res/StringTable.h"
#include "ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tessel {
namespace {

// Sizes offered when no printer says which it takes.
constexpr QPageSize::PageSizeId kStandardSizes[] = {
    QPageSize::A3,    QPageSize::A4,     QPageSize::A5,    QPageSize::JisB4,
    QPageSize::JisB5, QPageSize::Letter, QPageSize::Legal, QPageSize::Executive,
};

// The sources in the order of their names in the string table.
constexpr QPrinter::PaperSource kSources[] = {
    QPrinter::Auto,        QPrinter::Upper,        QPrinter::Middle,         QPrinter::Lower,
    QPrinter::Manual,      QPrinter::Envelope,     QPrinter::EnvelopeManual, QPrinter::Tractor,
    QPrinter::SmallFormat, QPrinter::LargeFormat,  QPrinter::LargeCapacity,  QPrinter::Cassette,
    QPrinter::FormSource,  QPrinter::CustomSource,
};

QString SourceName(QPrinter::PaperSource source) {
    for (unsigned i = 0; i < std::size(kSources); ++i)
        if (kSources[i] == source)
            return LoadQString(IDS_PAPER_SOURCE_FIRST + i);
    return QString::number(static_cast<int>(source));
}

// The page in the orientation group: a white sheet with its shadow, in the
// paper's proportions, upright or on its side.
class PageSample : public QWidget {
public:
    PageSample(QWidget* parent) : QWidget(parent) { setFixedSize(64, 64); }

    void SetPage(QSizeF portraitSize, bool landscape) {
        m_size = landscape ? portraitSize.transposed() : portraitSize;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (m_size.isEmpty())
            return;
        const double scale =
            std::min((width() - 6) / m_size.width(), (height() - 6) / m_size.height());
        const QSizeF sheet = m_size * scale;
        const QRectF page((width() - sheet.width()) / 2 - 1, (height() - sheet.height()) / 2 - 1,
                          sheet.width(), sheet.height());
        QPainter painter(this);
        painter.fillRect(page.translated(3, 3), Qt::gray);
        painter.fillRect(page, Qt::white);
        painter.setPen(Qt::black);
        painter.drawRect(page);
    }

private:
    QSizeF m_size;
};

QLineEdit* MakeMarginField(int hundredths, const QString& name, QWidget* parent) {
    auto* field = new QLineEdit(FormatMillimetres(hundredths), parent);
    field->setObjectName(name);
    field->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,5}(\\.[0-9]{0,2})?")), field));
    field->setMaximumWidth(80);
    return field;
}

QLabel* MakeLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

QString FormatMillimetres(int hundredths) {
    QString text = QString::number(hundredths / 100);
    if (const int fraction = std::abs(hundredths % 100); fraction != 0) {
        text += QStringLiteral(".%1").arg(fraction, 2, 10, QLatin1Char('0'));
        if (text.endsWith(QLatin1Char('0')))
            text.chop(1);
    }
    return text;
}

bool ParseMillimetres(const QString& text, int& hundredths) {
    static const QRegularExpression kNumber(QStringLiteral("^([0-9]{1,5})(?:\\.([0-9]{0,2}))?$"));
    const QRegularExpressionMatch match = kNumber.match(text.trimmed());
    if (!match.hasMatch())
        return false;
    QString fraction = match.captured(2);
    while (fraction.size() < 2)
        fraction += QLatin1Char('0');
    hundredths = match.captured(1).toInt() * 100 + fraction.toInt();
    return true;
}

PageSetupDialog::PageSetupDialog(const PageSetup& setup, const PageSetup::Printer& current,
                                 bool printPage, QWidget* parent)
    : QDialog(parent), m_choice{setup, printPage}, m_printer(setup.printer.value_or(current)) {
    setWindowTitle(LoadQString(IDS_PAGE_CAPTION));

    // Orientation, with the sample page.
    auto* orientation = new QGroupBox(LoadQString(IDS_PAGE_ORIENTATION), this);
    m_sample = new PageSample(orientation);
    m_portrait = new QRadioButton(LoadQString(IDS_PAGE_PORTRAIT), orientation);
    m_portrait->setObjectName(QStringLiteral("portrait"));
    m_landscape = new QRadioButton(LoadQString(IDS_PAGE_LANDSCAPE), orientation);
    m_landscape->setObjectName(QStringLiteral("landscape"));
    (m_printer.orientation == QPageLayout::Landscape ? m_landscape : m_portrait)->setChecked(true);
    auto* orientationLayout = new QVBoxLayout(orientation);
    orientationLayout->addWidget(m_sample, 0, Qt::AlignHCenter);
    orientationLayout->addStretch();
    orientationLayout->addWidget(m_portrait);
    orientationLayout->addWidget(m_landscape);

    // Paper.
    auto* paper = new QGroupBox(LoadQString(IDS_PAGE_PAPER), this);
    m_paperSize = new QComboBox(paper);
    m_paperSize->setObjectName(QStringLiteral("paperSize"));
    m_paperSource = new QComboBox(paper);
    m_paperSource->setObjectName(QStringLiteral("paperSource"));
    auto* paperLayout = new QGridLayout(paper);
    paperLayout->addWidget(MakeLabel(LoadQString(IDS_PAGE_SIZE), m_paperSize, paper), 0, 0);
    paperLayout->addWidget(m_paperSize, 0, 1);
    paperLayout->addWidget(MakeLabel(LoadQString(IDS_PAGE_SOURCE), m_paperSource, paper), 1, 0);
    paperLayout->addWidget(m_paperSource, 1, 1);
    paperLayout->setColumnStretch(1, 1);

    // Margins, in millimetres.
    auto* margins = new QGroupBox(LoadQString(IDS_PAGE_MARGINS), this);
    m_left = MakeMarginField(setup.margins.left, QStringLiteral("marginLeft"), margins);
    m_right = MakeMarginField(setup.margins.right, QStringLiteral("marginRight"), margins);
    m_top = MakeMarginField(setup.margins.top, QStringLiteral("marginTop"), margins);
    m_bottom = MakeMarginField(setup.margins.bottom, QStringLiteral("marginBottom"), margins);
    auto* marginLayout = new QGridLayout(margins);
    marginLayout->addWidget(MakeLabel(LoadQString(IDS_PAGE_LEFT), m_left, margins), 0, 0);
    marginLayout->addWidget(m_left, 0, 1);
    marginLayout->addWidget(MakeLabel(LoadQString(IDS_PAGE_RIGHT), m_right, margins), 0, 2);
    marginLayout->addWidget(m_right, 0, 3);
    marginLayout->addWidget(MakeLabel(LoadQString(IDS_PAGE_TOP), m_top, margins), 1, 0);
    marginLayout->addWidget(m_top, 1, 1);
    marginLayout->addWidget(MakeLabel(LoadQString(IDS_PAGE_BOTTOM), m_bottom, margins), 1, 2);
    marginLayout->addWidget(m_bottom, 1, 3);

    m_btnPrintPage = new QCheckBox(LoadQString(IDS_PAGE_NUMBERS), this);
    m_btnPrintPage->setObjectName(QStringLiteral("printPage"));
    m_btnPrintPage->setChecked(printPage);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(LoadQString(IDS_BUTTON_CANCEL));
    m_printerButton =
        buttons->addButton(LoadQString(IDS_PAGE_PRINTER), QDialogButtonBox::ActionRole);
    m_printerButton->setObjectName(QStringLiteral("printer"));
    m_printerButton->setEnabled(!QPrinterInfo::availablePrinterNames().isEmpty());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_printerButton, &QPushButton::clicked, this, &PageSetupDialog::OnPrinter);

    auto* grid = new QGridLayout(this);
    grid->addWidget(orientation, 0, 0, 2, 1);
    grid->addWidget(paper, 0, 1);
    grid->addWidget(margins, 1, 1);
    grid->addWidget(m_btnPrintPage, 2, 0, 1, 2);
    grid->addWidget(buttons, 3, 0, 1, 2);

    FillPaperSizes();
    FillPaperSources();
    auto updateSample = [this] {
        static_cast<PageSample*>(m_sample)->SetPage(
            ChosenPrinter().pageSize.size(QPageSize::Millimeter), m_landscape->isChecked());
    };
    connect(m_landscape, &QRadioButton::toggled, this, updateSample);
    connect(m_paperSize, &QComboBox::currentIndexChanged, this, updateSample);
    updateSample();
}

void PageSetupDialog::FillPaperSizes() {
    QPrinterInfo info = m_printer.name.isEmpty() ? QPrinterInfo::defaultPrinter()
                                                 : QPrinterInfo::printerInfo(m_printer.name);
    QList<QPageSize> sizes = info.isNull() ? QList<QPageSize>() : info.supportedPageSizes();
    if (sizes.isEmpty())
        for (const QPageSize::PageSizeId id : kStandardSizes)
            sizes.append(QPageSize(id));
    if (std::none_of(sizes.begin(), sizes.end(), [this](const QPageSize& size) {
            return size.isEquivalentTo(m_printer.pageSize);
        }))
        sizes.append(m_printer.pageSize);
    std::sort(sizes.begin(), sizes.end(), [](const QPageSize& a, const QPageSize& b) {
        return a.name().compare(b.name(), Qt::CaseInsensitive) < 0;
    });

    const QSignalBlocker blocker(m_paperSize);
    m_paperSize->clear();
    m_pageSizes.assign(sizes.begin(), sizes.end());
    for (std::size_t i = 0; i < m_pageSizes.size(); ++i) {
        m_paperSize->addItem(m_pageSizes[i].name(), static_cast<int>(i));
        if (m_pageSizes[i].isEquivalentTo(m_printer.pageSize))
            m_paperSize->setCurrentIndex(static_cast<int>(i));
    }
}

void PageSetupDialog::FillPaperSources() {
    QList<QPrinter::PaperSource> sources{QPrinter::Auto};
#ifdef Q_OS_WIN
    {
        QPrinter printer;
        if (!m_printer.name.isEmpty())
            printer.setPrinterName(m_printer.name);
        sources = printer.supportedPaperSources();
    }
#endif
    if (!sources.contains(m_printer.paperSource))
        sources.append(m_printer.paperSource);
    std::sort(sources.begin(), sources.end(),
              [](auto a, auto b) { return SourceName(a).compare(SourceName(b)) < 0; });
    m_paperSource->clear();
    for (const QPrinter::PaperSource source : sources) {
        m_paperSource->addItem(SourceName(source), static_cast<int>(source));
        if (source == m_printer.paperSource)
            m_paperSource->setCurrentIndex(m_paperSource->count() - 1);
    }
}

void PageSetupDialog::OnPrinter() {
    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (names.isEmpty())
        return;
    const QString current =
        m_printer.name.isEmpty() ? QPrinterInfo::defaultPrinterName() : m_printer.name;
    bool ok = false;
    const QString chosen = QInputDialog::getItem(
        this, LoadQString(IDS_PRINTER_CAPTION), LoadQString(IDS_PRINTER_NAME), names,
        std::max(0, static_cast<int>(names.indexOf(current))), false, &ok);
    if (!ok || chosen == current)
        return;
    m_printer = ChosenPrinter();
    m_printer.name = chosen;
    FillPaperSizes();
    FillPaperSources();
}

PageSetup::Printer PageSetupDialog::ChosenPrinter() const {
    PageSetup::Printer printer = m_printer;
    const int size = m_paperSize->currentData().toInt();
    if (size >= 0 && static_cast<std::size_t>(size) < m_pageSizes.size())
        printer.pageSize = m_pageSizes[static_cast<std::size_t>(size)];
    printer.orientation = m_landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait;
    if (m_paperSource->currentIndex() >= 0)
        printer.paperSource =
            static_cast<QPrinter::PaperSource>(m_paperSource->currentData().toInt());
    return printer;
}

void PageSetupDialog::Refuse(QLineEdit* field, const QString& text) {
    ShowMessageBox({this, windowTitle(), text, QMessageBox::Warning, QMessageBox::Ok});
    field->setFocus();
    field->selectAll();
}

bool PageSetupDialog::ReadMargin(QLineEdit* field, int& hundredths) {
    if (ParseMillimetres(field->text(), hundredths))
        return true;
    Refuse(field, LoadQString(IDS_PAGE_BAD_MARGIN));
    return false;
}

void PageSetupDialog::accept() {
    PageMargins margins;
    if (!ReadMargin(m_left, margins.left) || !ReadMargin(m_right, margins.right) ||
        !ReadMargin(m_top, margins.top) || !ReadMargin(m_bottom, margins.bottom))
        return;
    // The margins are measured inward from the printable area's edges, and
    // must leave some of it to print on.
    const PageSetup::Printer printer = ChosenPrinter();
    const QSizeF area = PrintableAreaMm(printer);
    if (margins.left + margins.right >= static_cast<int>(std::floor(area.width() * 100))) {
        Refuse(m_left, LoadQString(IDS_PAGE_MARGIN_TOO_LARGE));
        return;
    }
    if (margins.top + margins.bottom >= static_cast<int>(std::floor(area.height() * 100))) {
        Refuse(m_top, LoadQString(IDS_PAGE_MARGIN_TOO_LARGE));
        return;
    }
    m_choice.setup.margins = margins;
    m_choice.setup.printer = printer;
    m_choice.printPage = m_btnPrintPage->isChecked();
    QDialog::accept();
}

std::optional<PageSetupChoice> PageSetupDialog::Choose() {
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_choice;
}

} // namespace tessel
