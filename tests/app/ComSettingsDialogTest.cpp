#include "app/ComSettingsDialog.h"

#include "comm/ComPort.h"
#include "res/StringTable.h"
#include "support/AppHarness.h"
#include "support/SysCallFaults.h"
#include "support/TempDir.h"
#include "ui/CommandIds.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace tessel {
namespace {

using test::AppHarness;

template <class T>
T* Find(QDialog* dialog, const char* name) {
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

QStringList Entries(QComboBox* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries.append(list->itemText(i));
    return entries;
}

TEST(ComSettingsDialog, ShowsTheListsInOrderWithTheStoredChoices) {
    ComSettings settings;
    settings.COMPort = 1;
    settings.Parity = 2;
    settings.FlowControl = kFlowNone;
    settings.EndOfFileText = "1a";
    settings.Device[1] = "/dev/tessel-test-adapter";
    settings.BuildLineConfig();
    ComSettingsDialog dialog(settings);

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("COMポートの設定"));

    struct List {
        const char* name;
        QStringList entries;
        int selected;
    };
    for (const List& list :
         {List{"port", {"COM1", "COM2", "COM3", "COM4"}, 1},
          List{"baudRate", {"300", "600", "1200", "2400", "4800", "9600"}, 2},
          List{"dataBit", {"7", "8"}, 1}, List{"stopBit", {"1", "2"}, 0},
          List{"parity", {"none", "even", "odd"}, 2}, List{"endOfLine", {"CR", "LF", "CR LF"}, 2},
          List{"flowControl", {"Xon/Xoff", "RS/CS", "none"}, 2}}) {
        auto* combo = Find<QComboBox>(&dialog, list.name);
        ASSERT_NE(combo, nullptr) << list.name;
        EXPECT_FALSE(combo->isEditable()) << list.name;
        EXPECT_EQ(Entries(combo), list.entries) << list.name;
        EXPECT_EQ(combo->currentIndex(), list.selected) << list.name;
    }

    // The end-of-text box shows the stored text as it is; what is typed
    // turns upper case; two characters at most.
    auto* endCode = Find<QLineEdit>(&dialog, "endCode");
    EXPECT_EQ(endCode->text(), QStringLiteral("1a"));
    endCode->setCursorPosition(1);
    QTest::keyClick(endCode, Qt::Key_Backspace);
    QTest::keyClicks(endCode, QStringLiteral("f"));
    EXPECT_EQ(endCode->text(), QStringLiteral("Fa"));
    endCode->clear();
    QTest::keyClicks(endCode, QStringLiteral("d7f"));
    EXPECT_EQ(endCode->text(), QStringLiteral("D7"));

    // Tab order: as the lists stand, but the end-of-text code before the
    // flow control; the device goes with the port.
    const QStringList names = {"port",        "device",    "baudRate",  "dataBit",
                               "stopBit",     "parity",    "endOfLine", "endCode",
                               "flowControl", "charDelay", "lineDelay"};
    QStringList chain;
    QWidget* widget = Find<QWidget>(&dialog, "port");
    for (int i = 0; i < 100 && chain.size() < names.size();
         ++i, widget = widget->nextInFocusChain()) {
        QWidget* named = widget->objectName().isEmpty() ? widget->parentWidget() : widget;
        if (named && names.contains(named->objectName()) &&
            (widget->focusPolicy() & Qt::TabFocus) && !chain.contains(named->objectName()))
            chain.append(named->objectName());
    }
    EXPECT_EQ(chain, names);

    // Beside the port, the device it stands for; the usual one per port.
    auto* device = Find<QComboBox>(&dialog, "device");
    EXPECT_EQ(device->currentText(), QStringLiteral("/dev/tessel-test-adapter"));
    EXPECT_NE(Find<QLabel>(&dialog, "deviceState")->text(), QString()); // no such device here
    Find<QComboBox>(&dialog, "port")->setCurrentIndex(3);
    EXPECT_EQ(device->currentText(), QStringLiteral("/dev/ttyUSB3"));

    // A stable device name is seen whole: the caret after its last
    // character is still beyond its width, nothing scrolled out of sight.
    const QString stable =
        QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");
    dialog.show();
    device->setEditText(stable);
    device->lineEdit()->setCursorPosition(static_cast<int>(stable.size()));
    device->lineEdit()->grab(); // the field scrolls as it is drawn
    EXPECT_GT(device->lineEdit()->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(),
              device->lineEdit()->fontMetrics().horizontalAdvance(stable));
    dialog.reject();
}

// In English the flow control reads RTS/CTS; the stored index is the same.
// In both languages the end-of-text code says it is hexadecimal.
TEST(ComSettingsDialog, EnglishNamesTheHandshakeAndBothSayTheCodeIsHexadecimal) {
    ComSettings settings;
    for (const auto& [language, flow, base] :
         {std::tuple{Language::Japanese, "RS/CS", "16 進数"},
          std::tuple{Language::English, "RTS/CTS", "hexadecimal"}}) {
        SetLanguage(language);
        ComSettingsDialog dialog(settings);
        auto* list = Find<QComboBox>(&dialog, "flowControl");
        EXPECT_EQ(Entries(list), (QStringList{"Xon/Xoff", flow, "none"}));
        EXPECT_EQ(list->currentIndex(), static_cast<int>(kFlowRtsCts));
        EXPECT_EQ(Find<QLabel>(&dialog, "endCodeBase")->text(), QString::fromUtf8(base));
        dialog.show();
        EXPECT_TRUE(Find<QLabel>(&dialog, "endCodeBase")->isVisible());
        dialog.reject();
    }
    SetLanguage(Language::Japanese);
}

TEST(ComSettingsDialog, TheDeviceListOffersThePortsThereAreEachTimeItOpens) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    SystemRoots roots;
    roots.dev = dir.file("dev");
    roots.sys = dir.file("sys");
    roots.proc = dir.file("proc");
    fs::create_directories(roots.dev + "/serial/by-id");
    test::WriteBytes(roots.dev + "/ttyUSB0", "");
    test::WriteBytes(roots.dev + "/ttyACM0", "");
    fs::create_symlink("../../ttyUSB0", roots.dev + "/serial/by-id/usb-FTDI_FT232R-if00-port0");
    const std::string usb = roots.sys + "/devices/usb1/1-1";
    fs::create_directories(usb + "/1-1:1.0/ttyUSB0");
    test::WriteBytes(usb + "/idVendor", "0403\n");
    test::WriteBytes(usb + "/product", "FT232R USB UART\n");
    fs::create_directories(roots.sys + "/class/tty/ttyUSB0");
    fs::create_directory_symlink(usb + "/1-1:1.0/ttyUSB0", roots.sys + "/class/tty/ttyUSB0/device");

    ComSettings settings;
    settings.Device[0] = "/dev/typed-by-hand";
    ComSettingsDialog dialog(settings, nullptr, roots);
    auto* device = Find<QComboBox>(&dialog, "device");
    const QString dev = QString::fromStdString(roots.dev);
    EXPECT_EQ(Entries(device),
              QStringList({dev + "/serial/by-id/usb-FTDI_FT232R-if00-port0", dev + "/ttyACM0"}));
    EXPECT_EQ(device->itemData(0, Qt::UserRole).toString(), QStringLiteral("FT232R USB UART"));
    EXPECT_EQ(device->currentText(), QStringLiteral("/dev/typed-by-hand"));

    // Plugged in while the dialog is open: there once the list opens, and
    // what the box shows stays.
    test::WriteBytes(roots.dev + "/ttyUSB1", "");
    device->showPopup();
    EXPECT_EQ(Entries(device), QStringList({dev + "/serial/by-id/usb-FTDI_FT232R-if00-port0",
                                            dev + "/ttyUSB1", dev + "/ttyACM0"}));
    EXPECT_EQ(device->currentText(), QStringLiteral("/dev/typed-by-hand"));
    device->hidePopup();

    // A device this user may not open says why and what to do.
    static std::string denied;
    denied = roots.dev + "/ttyACM0";
    sys::Calls calls = sys::RealCalls();
    calls.access = [](const char* path, int mode) {
        if (path == denied) {
            errno = EACCES;
            return -1;
        }
        return sys::RealCalls().access(path, mode);
    };
    {
        const test::ScopedCalls scoped(calls);
        device->setEditText(QString::fromStdString(denied));
    }
    EXPECT_TRUE(
        Find<QLabel>(&dialog, "deviceState")
            ->text()
            .startsWith(QString::fromStdString(denied) + QStringLiteral(" を使う権限がありません")))
        << Find<QLabel>(&dialog, "deviceState")->text().toStdString();

    // Choosing one puts its path in the box, and that is what is stored.
    device->setCurrentIndex(0);
    EXPECT_EQ(device->currentText(), dev + "/serial/by-id/usb-FTDI_FT232R-if00-port0");
    dialog.accept();
    EXPECT_EQ(dialog.Settings().Device[0], roots.dev + "/serial/by-id/usb-FTDI_FT232R-if00-port0");
}

TEST(ComSettingsDialog, OkChecksTheEndCodeThenWritesEveryKeyAtOnce) {
    AppHarness h;
    const QString caption = LoadQString(IDS_CAPTION_COM_SETTINGS);
    h.WhenDialogOpens([](QDialog* dialog) {
        auto* endCode = Find<QLineEdit>(dialog, "endCode");
        auto* charDelay = Find<QLineEdit>(dialog, "charDelay");
        Find<QComboBox>(dialog, "port")->setCurrentIndex(1);
        Find<QComboBox>(dialog, "device")->setEditText(QStringLiteral("/dev/ttyS3"));
        Find<QComboBox>(dialog, "baudRate")->setCurrentIndex(5);
        Find<QComboBox>(dialog, "flowControl")->setCurrentIndex(kFlowXonXoff);
        for (const QString& text : {QString(), QStringLiteral("G1"), QStringLiteral("ａ")}) {
            endCode->setText(text);
            dialog->accept(); // refused: the dialog stays open
            EXPECT_TRUE(dialog->isVisible());
        }
        endCode->clear();
        QTest::keyClicks(endCode, QStringLiteral("d"));
        // The pauses are checked as typed: a sign or a letter is no number.
        for (const QString& typed :
             {QStringLiteral("-5"), QStringLiteral("5ms"), QStringLiteral("1001")}) {
            charDelay->clear();
            QTest::keyClicks(charDelay, typed);
            dialog->accept();
            EXPECT_TRUE(dialog->isVisible()) << typed.toStdString();
        }
        charDelay->setText(QStringLiteral("250"));
        dialog->accept();
    });
    h.Execute(ID_COM_SETTINGS);

    ASSERT_EQ(h.messages.size(), 6u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(h.messages[i].caption, caption);
        EXPECT_EQ(h.messages[i].icon, QMessageBox::Warning);
    }
    EXPECT_EQ(h.messages[0].text, LoadQString(IDS_EOF_CODE_EMPTY));
    EXPECT_EQ(h.messages[1].text, LoadQString(IDS_EOF_CODE_INVALID));
    EXPECT_EQ(h.messages[2].text, LoadQString(IDS_EOF_CODE_INVALID));
    EXPECT_EQ(h.messages[3].text, QStringLiteral("正の整数を入力してください。"));
    EXPECT_EQ(h.messages[4].text, QStringLiteral("正の整数を入力してください。"));
    EXPECT_EQ(h.messages[5].text, QStringLiteral("0 から 1000 までの整数を入力してください。"));

    const ComSettings& settings = h.app->Settings().m_comSettings;
    EXPECT_EQ(settings.EndOfFile, 13u);
    EXPECT_EQ(settings.EndOfFileText, "0D");
    EXPECT_EQ(settings.PortName, "COM2");
    EXPECT_EQ(settings.LineConfig.BaudRate, 9600u);
    EXPECT_EQ(settings.LineConfig.XonChar, 0x11);
    EXPECT_EQ(settings.CharDelay, 250u);
    EXPECT_EQ(DevicePath(settings), "/dev/ttyS3");
    EXPECT_EQ(test::ReadBytes(h.iniPath),
              "[COMPORT]\r\nBaudRate=5\r\nCOMPort=1\r\nDataBit=1\r\nEndOfLine=2\r\n"
              "FlowControl=0\r\nParity=0\r\nStopBit=0\r\nEndOfFile=13\r\n"
              "CharDelay=250\r\nDevice2=/dev/ttyS3\r\n");

    // The next start shows the code as the settings file gives it.
    AppHarness next(test::ReadBytes(h.iniPath));
    QString shown;
    next.WhenDialogOpens([&](QDialog* dialog) {
        shown = Find<QLineEdit>(dialog, "endCode")->text();
        dialog->reject();
    });
    next.Execute(ID_COM_SETTINGS);
    EXPECT_EQ(shown, QStringLiteral("d"));
}

TEST(ComSettingsDialog, CancelChangesNothing) {
    AppHarness h;
    h.WhenDialogOpens([](QDialog* dialog) {
        Find<QComboBox>(dialog, "port")->setCurrentIndex(2);
        Find<QLineEdit>(dialog, "endCode")->setText(QStringLiteral("0"));
        dialog->reject();
    });
    h.Execute(ID_COM_SETTINGS);
    EXPECT_EQ(h.app->Settings().m_comSettings.COMPort, 0u);
    EXPECT_EQ(h.app->Settings().m_comSettings.EndOfFile, 26u);
    EXPECT_EQ(test::ReadBytes(h.iniPath), "");
}

} // namespace
} // namespace tessel
