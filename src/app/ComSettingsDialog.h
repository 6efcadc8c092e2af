#pragma once

#include "comm/PortDiscovery.h"
#include "settings/ComSettings.h"

#include <QDialog>

#include <span>

class QComboBox;
class QLabel;
class QLineEdit;

namespace tessel {

// "COMポートの設定": the port, the line parameters, the line separator on
// the wire, the flow control and the end-of-text code; beside the port, the
// device that port stands for on this machine; below, the pacing of a send.
// It edits a copy of the settings and does no I/O of the settings: the
// caller applies and stores what Settings() hands back after OK. The device
// box offers the serial ports there are (looked for again each time its list
// opens), stable names first, each with its product name; any path may be
// typed instead.
class ComSettingsDialog : public QDialog {
    Q_OBJECT

public:
    // `roots`: where the ports are looked for.
    explicit ComSettingsDialog(const ComSettings& settings, QWidget* parent = nullptr,
                               SystemRoots roots = {});

    // The edited copy; the end-of-text code, its text ("0D" for one typed
    // digit) and the pacing are filled in by OK.
    const ComSettings& Settings() const { return m_settings; }

    // Checks the end-of-text code (messages 211 and 212) and the pacing
    // fields; on a message the dialog stays open.
    void accept() override;

private:
    QComboBox* MakeList(const char* name, std::span<const char* const> entries,
                        std::uint32_t selected);
    void ShowDevice();
    // Fills the device box's list with the ports there are now, keeping what
    // the box shows.
    void ListDevices();
    void OnDeviceEdited(const QString& text);
    void RefuseEndCode(unsigned messageId);

    ComSettings m_settings;
    const SystemRoots m_roots;
    QComboBox* m_port;
    QComboBox* m_device;
    QLabel* m_deviceState;
    QComboBox* m_baudRate;
    QComboBox* m_dataBit;
    QComboBox* m_stopBit;
    QComboBox* m_parity;
    QComboBox* m_endOfLine;
    QLineEdit* m_endCode;
    QComboBox* m_flowControl;
    QLineEdit* m_charDelay;
    QLineEdit* m_lineDelay;
};

} // namespace tessel
