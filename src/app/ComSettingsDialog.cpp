#include "app/ComSettingsDialog.h"

#include "comm/ComPort.h"
#include "res/StringTable.h"
#include "sys/SysCalls.h"
#include "ui/DialogFields.h"
#include "ui/MessageBox.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QValidator>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace tessel {
namespace {

// What enters the end-of-text box once it is open (typed, pasted, dropped)
// turns upper case; the text it opens with shows as it is stored ("1a").
class TypedUpperCase final : public QValidator {
public:
    explicit TypedUpperCase(QLineEdit* field) : QValidator(field), m_before(field->text()) {}

    State validate(QString& input, int& /*position*/) const override {
        // What is new is what the input does not share with the text before
        // at either end.
        const qsizetype shared = std::min(input.size(), m_before.size());
        qsizetype start = 0;
        while (start < shared && input[start] == m_before[start])
            ++start;
        qsizetype end = 0;
        while (end < shared - start &&
               input[input.size() - 1 - end] == m_before[m_before.size() - 1 - end])
            ++end;
        for (qsizetype i = start; i < input.size() - end; ++i)
            input[i] = input[i].toUpper();
        m_before = input;
        return Acceptable;
    }

private:
    mutable QString m_before; // the text as it stood before this change
};

// A device path of the length the stable names have, which the device field
// shows whole.
constexpr char kLongDevicePath[] = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0";

// The description of a port in the device list, beside its path.
constexpr int kDescriptionRole = Qt::UserRole;

// A device list that looks for the ports again each time it opens.
class DeviceBox final : public QComboBox {
public:
    DeviceBox(QWidget* parent, std::function<void()> refresh)
        : QComboBox(parent), m_refresh(std::move(refresh)) {}
    void showPopup() override {
        m_refresh();
        QComboBox::showPopup();
    }

private:
    std::function<void()> m_refresh;
};

// Shows each entry as its path and, after it, its description; the entry's
// text (what choosing it puts in the box) stays the path.
class DeviceDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (const QString description = index.data(kDescriptionRole).toString();
            !description.isEmpty())
            option->text += QStringLiteral("  (%1)").arg(description);
    }
};

// What stands in the way of opening `path`, below the device: that it is
// not there, or that this user may not open it and what to do about that.
QString DeviceState(const QString& path) {
    if (path.isEmpty())
        return {};
    if (!QFileInfo::exists(path))
        return LoadQString(IDS_COM_DEVICE_MISSING).arg(path);
    const QByteArray native = QFile::encodeName(path);
    if (sys::Access(native.constData(), R_OK | W_OK) == 0 || errno != EACCES)
        return {};
    return QString::fromStdString(
               ExplainOpenProblem(DiagnoseOpenFailure(EACCES, native.toStdString())))
        .trimmed();
}

QString DeviceOf(const ComSettings& settings) {
    return QFile::decodeName(DevicePath(settings).c_str());
}

// A label for `field` with its mnemonic.
QLabel* LabelFor(const QString& text, QWidget* field) {
    auto* label = new QLabel(text, field->parentWidget());
    label->setBuddy(field);
    return label;
}

// The width an editable list needs to show `text` whole.
int FieldWidthFor(QComboBox* list, const QString& text) {
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = true;
    const QFontMetrics metrics = list->fontMetrics();
    // The line edit inside keeps a margin on either side of its text.
    const QSize contents(metrics.horizontalAdvance(text) + metrics.averageCharWidth(),
                         metrics.height());
    return list->style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, list).width();
}

} // namespace

ComSettingsDialog::ComSettingsDialog(const ComSettings& settings, QWidget* parent,
                                     SystemRoots roots)
    : QDialog(parent), m_settings(settings), m_roots(std::move(roots)) {
    setWindowTitle(LoadQString(IDS_CAPTION_COM_SETTINGS));

    m_port = MakeList("port", kPortNames, m_settings.COMPort);
    m_device = new DeviceBox(this, [this] { ListDevices(); });
    m_device->setObjectName(QStringLiteral("device"));
    m_device->setEditable(true);
    m_device->setInsertPolicy(QComboBox::NoInsert);
    m_device->setItemDelegate(new DeviceDelegate(m_device));
    ListDevices();
    m_device->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_device->setMinimumWidth(FieldWidthFor(m_device, QString::fromLatin1(kLongDevicePath)));
    m_deviceState = new QLabel(this);
    m_deviceState->setObjectName(QStringLiteral("deviceState"));
    m_deviceState->setTextInteractionFlags(Qt::TextSelectableByMouse); // the command to copy
    m_baudRate = MakeList("baudRate", kBaudRateTexts, m_settings.BaudRate);
    m_dataBit = MakeList("dataBit", kDataBitTexts, m_settings.DataBit);
    m_stopBit = MakeList("stopBit", kStopBitTexts, m_settings.StopBit);
    m_parity = MakeList("parity", kParityTexts, m_settings.Parity);
    m_endOfLine = MakeList("endOfLine", kEndOfLineTexts, m_settings.EndOfLine);
    m_endCode = new QLineEdit(QString::fromStdString(m_settings.EndOfFileText), this);
    m_endCode->setObjectName(QStringLiteral("endCode"));
    m_endCode->setMaxLength(2);
    m_endCode->setValidator(new TypedUpperCase(m_endCode));
    m_flowControl = MakeList("flowControl", kFlowControlTexts, m_settings.FlowControl);
    m_flowControl->setItemText(kFlowRtsCts, LoadQString(IDS_COM_FLOW_RTS_CTS));
    m_charDelay =
        MakeTextField(QString::number(m_settings.CharDelay), QStringLiteral("charDelay"), this);
    m_lineDelay =
        MakeTextField(QString::number(m_settings.LineDelay), QStringLiteral("lineDelay"), this);

    // The lists and fields of one width; the device beside the port as wide
    // as a long path.
    const QList<QWidget*> fields = {m_baudRate,    m_dataBit, m_stopBit,   m_parity,   m_endOfLine,
                                    m_flowControl, m_endCode, m_charDelay, m_lineDelay};
    int fieldWidth = 0;
    for (QWidget* field : fields)
        fieldWidth = std::max(fieldWidth, field->sizeHint().width());
    for (QWidget* field : fields)
        field->setMinimumWidth(fieldWidth);

    auto* form = new QFormLayout(this);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(m_port);
    portRow->addWidget(m_device, 1);
    form->addRow(LabelFor(LoadQString(IDS_COM_PORT), m_port), portRow);
    form->addRow(QString(), m_deviceState);
    form->addRow(LoadQString(IDS_COM_BAUD_RATE), m_baudRate);
    form->addRow(LoadQString(IDS_COM_DATA_BITS), m_dataBit);
    form->addRow(LoadQString(IDS_COM_STOP_BITS), m_stopBit);
    form->addRow(LoadQString(IDS_COM_PARITY), m_parity);
    form->addRow(LoadQString(IDS_COM_LINE_END), m_endOfLine);
    form->addRow(LoadQString(IDS_COM_FLOW), m_flowControl);
    auto* endCodeRow = new QHBoxLayout;
    endCodeRow->addWidget(m_endCode);
    auto* endCodeBase = new QLabel(LoadQString(IDS_COM_END_CODE_BASE), this);
    endCodeBase->setObjectName(QStringLiteral("endCodeBase"));
    endCodeRow->addWidget(endCodeBase);
    form->addRow(LabelFor(LoadQString(IDS_COM_END_CODE), m_endCode), endCodeRow);
    form->addRow(LoadQString(IDS_COM_CHAR_DELAY), m_charDelay);
    form->addRow(LoadQString(IDS_COM_LINE_DELAY), m_lineDelay);
    QDialogButtonBox* buttons = MakeOkCancel(this);
    form->addRow(buttons);

    // The end-of-text code comes before the flow control; the device goes
    // with the port beside it.
    const QList<QWidget*> order = {m_port,
                                   m_device,
                                   m_baudRate,
                                   m_dataBit,
                                   m_stopBit,
                                   m_parity,
                                   m_endOfLine,
                                   m_endCode,
                                   m_flowControl,
                                   m_charDelay,
                                   m_lineDelay,
                                   buttons->button(QDialogButtonBox::Ok),
                                   buttons->button(QDialogButtonBox::Cancel)};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    ShowDevice();
    connect(m_port, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_settings.COMPort = static_cast<std::uint32_t>(index);
        ShowDevice();
    });
    connect(m_device, &QComboBox::editTextChanged, this, &ComSettingsDialog::OnDeviceEdited);
    m_port->setFocus();
    // A caption and no system menu.
    SetDialogFrame(this, false);
}

QComboBox* ComSettingsDialog::MakeList(const char* name, std::span<const char* const> entries,
                                       std::uint32_t selected) {
    auto* list = new QComboBox(this);
    list->setObjectName(QString::fromLatin1(name));
    // In the order given; the index is what the settings store.
    for (const char* entry : entries)
        list->addItem(QString::fromUtf8(entry));
    list->setCurrentIndex(selected < entries.size() ? static_cast<int>(selected) : 0);
    return list;
}

void ComSettingsDialog::ListDevices() {
    const QSignalBlocker blocker(m_device);
    const QString shown = m_device->currentText();
    m_device->clear();
    for (const SerialPortInfo& port : DiscoverSerialPorts(nullptr, m_roots)) {
        std::string description = port.Description();
        if (description.empty())
            description = port.driver;
        const QString path = QFile::decodeName(port.path.c_str());
        m_device->addItem(path);
        m_device->setItemData(m_device->count() - 1, QString::fromStdString(description),
                              kDescriptionRole);
        if (port.path != port.device || !description.empty())
            m_device->setItemData(
                m_device->count() - 1,
                QFile::decodeName(port.device.c_str()) +
                    (description.empty()
                         ? QString()
                         : QStringLiteral(": ") + QString::fromStdString(description)),
                Qt::ToolTipRole);
    }
    m_device->setCurrentIndex(-1);
    m_device->setEditText(shown);
}

void ComSettingsDialog::ShowDevice() {
    const QString path = DeviceOf(m_settings);
    {
        const QSignalBlocker blocker(m_device);
        m_device->setEditText(path);
    }
    m_deviceState->setText(DeviceState(path));
}

void ComSettingsDialog::OnDeviceEdited(const QString& text) {
    // The usual device of the port is kept as no entry, so that it follows
    // the port; anything else is stored as given.
    std::string& device = m_settings.Device[m_settings.COMPort];
    device.clear();
    const QString trimmed = text.trimmed();
    if (!trimmed.isEmpty() && trimmed != DeviceOf(m_settings))
        device = QFile::encodeName(trimmed).toStdString();
    m_deviceState->setText(DeviceState(trimmed));
}

void ComSettingsDialog::RefuseEndCode(unsigned messageId) {
    ShowMessageBox({this, LoadQString(IDS_CAPTION_COM_SETTINGS), LoadQString(messageId),
                    QMessageBox::Warning, QMessageBox::Ok});
    m_endCode->setFocus();
    m_endCode->selectAll();
}

void ComSettingsDialog::accept() {
    // Top to bottom: the end-of-text code, then the pacing.
    const QString text = m_endCode->text();
    if (text.isEmpty()) {
        RefuseEndCode(IDS_EOF_CODE_EMPTY);
        return;
    }
    std::uint32_t value = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        std::uint32_t digit = 0;
        if (u >= u'0' && u <= u'9') {
            digit = u - u'0';
        } else if ((u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f')) {
            digit = (u & ~0x20u) - u'A' + 10;
        } else {
            RefuseEndCode(IDS_EOF_CODE_INVALID);
            return;
        }
        value = value * 16 + digit;
    }
    unsigned charDelay = 0;
    unsigned lineDelay = 0;
    if (!ReadUnsignedField(m_charDelay, 0, kMaxPacingDelay, charDelay) ||
        !ReadUnsignedField(m_lineDelay, 0, kMaxPacingDelay, lineDelay))
        return;

    m_settings.COMPort = static_cast<std::uint32_t>(m_port->currentIndex());
    m_settings.BaudRate = static_cast<std::uint32_t>(m_baudRate->currentIndex());
    m_settings.DataBit = static_cast<std::uint32_t>(m_dataBit->currentIndex());
    m_settings.StopBit = static_cast<std::uint32_t>(m_stopBit->currentIndex());
    m_settings.Parity = static_cast<std::uint32_t>(m_parity->currentIndex());
    m_settings.EndOfLine = static_cast<std::uint32_t>(m_endOfLine->currentIndex());
    m_settings.FlowControl = static_cast<std::uint32_t>(m_flowControl->currentIndex());
    m_settings.EndOfFile = value;
    // One digit is kept with a leading zero: "D" becomes "0D".
    m_settings.EndOfFileText = (text.size() == 1 ? QStringLiteral("0") + text : text).toStdString();
    m_settings.CharDelay = charDelay;
    m_settings.LineDelay = lineDelay;
    QDialog::accept();
}

} // namespace tessel
