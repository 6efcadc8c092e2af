// Finding the serial ports and explaining a failed open, over a /dev, /sys
// and /proc tree built by the test; permissions come in through the
// system-call table (tests may run as root, who may open anything).

#include "comm/PortDiscovery.h"

#include "res/StringTable.h"
#include "settings/ComSettings.h"
#include "support/SysCallFaults.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <grp.h>
#include <string_view>

namespace tessel {
namespace {

namespace fs = std::filesystem;
using test::WriteBytes;

constexpr char kById[] = "usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0";

// A machine with an FTDI adapter (with its stable name), an Arduino on
// ttyACM0, one real UART (ttyS0) and two empty legacy slots (ttyS1, ttyS2).
class FakeSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.ok());
        m_roots.dev = m_dir.file("dev");
        m_roots.sys = m_dir.file("sys");
        m_roots.proc = m_dir.file("proc");
        m_roots.lockDirs = {m_dir.file("run/lock"), m_dir.file("var/lock")};
        for (const std::string& dir : {m_roots.proc, m_roots.lockDirs[0], m_roots.lockDirs[1]})
            fs::create_directories(dir);
        fs::create_directories(m_roots.dev);
    }

    void Plug() {
        const std::string& sys = m_roots.sys;
        for (const char* name : {"ttyUSB0", "ttyACM0", "ttyS0", "ttyS1", "ttyS2", "tty", "ttyUSBx"})
            WriteBytes(Dev(name), "");
        fs::create_directories(Dev("serial/by-id"));
        fs::create_symlink("../../ttyUSB0", Dev(std::string("serial/by-id/") + kById));
        // A link whose device has gone is no port.
        fs::create_symlink("../../ttyUSB9", Dev("serial/by-id/usb-gone-if00-port0"));

        UsbDevice("1-1", {"0403", "6001", "FTDI", "FT232R USB UART", "A1B2C3"});
        const std::string ftdiPort = sys + "/devices/usb1/1-1/1-1:1.0/ttyUSB0";
        Driver(ftdiPort, "usb-serial", "ftdi_sio");
        Tty("ttyUSB0", ftdiPort);

        UsbDevice("1-2", {"2341", "0043", "Arduino (www.arduino.cc)", "", ""});
        const std::string acmInterface = sys + "/devices/usb1/1-2/1-2:1.0";
        Driver(acmInterface, "usb", "cdc_acm");
        Tty("ttyACM0", acmInterface);

        const std::string uart = sys + "/devices/pnp0/00:05";
        Driver(uart, "pnp", "serial");
        Tty("ttyS0", uart, "4");
        const std::string slot = sys + "/devices/platform/serial8250";
        Driver(slot, "platform", "serial8250");
        Tty("ttyS1", slot, "0");
        fs::create_directories(sys + "/class/tty/ttyS2");
    }

    std::string Dev(const std::string& name) const { return m_roots.dev + "/" + name; }

    void UsbDevice(const std::string& name, std::array<std::string, 5> values) {
        const std::string folder = m_roots.sys + "/devices/usb1/" + name;
        fs::create_directories(folder + "/" + name + ":1.0");
        const char* files[] = {"idVendor", "idProduct", "manufacturer", "product", "serial"};
        for (std::size_t i = 0; i < values.size(); ++i)
            if (!values[i].empty())
                WriteBytes(folder + "/" + files[i], values[i] + "\n");
    }
    void Driver(const std::string& device, const std::string& bus, const std::string& driver) {
        const std::string target = m_roots.sys + "/bus/" + bus + "/drivers/" + driver;
        fs::create_directories(target);
        fs::create_directories(device);
        fs::create_directory_symlink(target, device + "/driver");
    }
    void Tty(const std::string& name, const std::string& device, const char* type = nullptr) {
        const std::string folder = m_roots.sys + "/class/tty/" + name;
        fs::create_directories(folder);
        fs::create_directory_symlink(device, folder + "/device");
        if (type)
            WriteBytes(folder + "/type", std::string(type) + "\n");
    }
    void Process(int pid, const std::string& command, const std::string& openFile = {}) {
        const std::string folder = m_roots.proc + "/" + std::to_string(pid);
        fs::create_directories(folder + "/fd");
        WriteBytes(folder + "/comm", command + "\n");
        if (!openFile.empty())
            fs::create_symlink(openFile, folder + "/fd/3");
    }

    test::TempDir m_dir;
    SystemRoots m_roots;
};

// Windows names its ports COM<number>, in any case, with Win32's prefix or
// DOS's colon; the number is what the programs open and compare.
TEST(ComNumber, OfWindowsPortNamesOnly) {
    const std::pair<std::string_view, unsigned> cases[] = {
        {"COM3", 3}, {"com12", 12}, {"COM12:", 12},     {"\\\\.\\COM7", 7},
        {"COM", 0},  {"COMX", 0},   {"COM1:2", 0},      {"/dev/ttyS0", 0},
        {"COM0", 0}, {"LPT1", 0},   {"COM99999999", 0}, {"", 0},
    };
    for (const auto& [name, number] : cases)
        EXPECT_EQ(ComNumber(name), number) << name;
}

TEST_F(FakeSystem, ListsStableNamesFirstThenTheDevicesWithHardwareBehindThem) {
    Plug();
    ComSettings settings;
    settings.Device[0] = Dev("ttyUSB0");
    settings.Device[2] = Dev(std::string("serial/by-id/") + kById);
    settings.Device[3] = Dev("ttyS0");
    const std::vector<SerialPortInfo> ports = DiscoverSerialPorts(&settings, m_roots);

    ASSERT_EQ(ports.size(), 3u); // no ttyS1, ttyS2, tty, ttyUSBx, nor the dead link
    const SerialPortInfo& ftdi = ports[0];
    EXPECT_EQ(ftdi.path, Dev(std::string("serial/by-id/") + kById));
    EXPECT_EQ(ftdi.device, fs::canonical(Dev("ttyUSB0")).string());
    EXPECT_EQ(ftdi.driver, "ftdi_sio");
    EXPECT_EQ(ftdi.vendorId + ":" + ftdi.productId, "0403:6001");
    EXPECT_EQ(ftdi.serial, "A1B2C3");
    EXPECT_EQ(ftdi.Description(), "FTDI FT232R USB UART");
    EXPECT_TRUE(ftdi.openable);
    EXPECT_EQ(ftdi.comPorts, (std::vector<unsigned>{0, 2})); // both names of one device

    const SerialPortInfo& acm = ports[1];
    EXPECT_EQ(acm.path, Dev("ttyACM0"));
    EXPECT_EQ(acm.device, acm.path);
    EXPECT_EQ(acm.driver, "cdc_acm");
    EXPECT_EQ(acm.vendorId + ":" + acm.productId, "2341:0043");
    EXPECT_EQ(acm.Description(), "Arduino (www.arduino.cc)");
    EXPECT_TRUE(acm.comPorts.empty());

    EXPECT_EQ(ports[2].path, Dev("ttyS0"));
    EXPECT_EQ(ports[2].driver, "serial");
    EXPECT_EQ(ports[2].vendorId, "");
    EXPECT_EQ(ports[2].comPorts, (std::vector<unsigned>{3}));
}

TEST_F(FakeSystem, ADeviceThisUserCannotOpenIsListedAsSuch) {
    Plug();
    static std::string denied;
    denied = fs::canonical(Dev("ttyACM0")).string();
    sys::Calls calls = sys::RealCalls();
    calls.access = [](const char* path, int mode) {
        if (path == denied) {
            errno = EACCES;
            return -1;
        }
        return sys::RealCalls().access(path, mode);
    };
    const test::ScopedCalls scoped(calls);
    const std::vector<SerialPortInfo> ports = DiscoverSerialPorts(nullptr, m_roots);
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_TRUE(ports[0].openable);
    EXPECT_FALSE(ports[1].openable);
}

TEST_F(FakeSystem, NoPortsAtAll) {
    EXPECT_TRUE(DiscoverSerialPorts(nullptr, m_roots).empty());
    SystemRoots nowhere;
    nowhere.dev = m_dir.file("none");
    nowhere.sys = m_dir.file("none");
    EXPECT_TRUE(DiscoverSerialPorts(nullptr, nowhere).empty());
}

bool Has(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

TEST_F(FakeSystem, PermissionDeniedNamesTheGroupTheModeAndTheFix) {
    const group* entry = ::getgrnam("dialout");
    if (entry == nullptr)
        GTEST_SKIP() << "this system has no group dialout";
    Plug();
    static gid_t s_gid = 0;
    static mode_t s_mode = 0;
    s_gid = entry->gr_gid;
    s_mode = S_IFCHR | 0660;
    sys::Calls calls = sys::RealCalls();
    calls.stat = [](const char* path, struct stat* st) {
        const int result = sys::RealCalls().stat(path, st);
        st->st_mode = s_mode;
        st->st_gid = s_gid;
        return result;
    };
    const test::ScopedCalls scoped(calls);
    OpenProblem problem = DiagnoseOpenFailure(EACCES, Dev("ttyUSB0"), nullptr, m_roots);
    EXPECT_EQ(problem.kind, OpenProblem::Kind::Denied);
    EXPECT_EQ(problem.group, "dialout");
    EXPECT_EQ(problem.mode, "crw-rw----");
    EXPECT_TRUE(problem.groupCanOpen);
    EXPECT_EQ(problem.GroupFix(), "sudo usermod -aG dialout " + problem.user);
    std::string text = ExplainOpenProblem(problem);
    EXPECT_TRUE(
        Has(text, Dev("ttyUSB0") + " を使う権限がありません（グループ dialout、crw-rw----）。"))
        << text;
    EXPECT_TRUE(Has(text, problem.GroupFix() + "\n")) << text;

    // A group that may not open it either: joining it would not help.
    s_mode = S_IFCHR | 0600;
    problem = DiagnoseOpenFailure(EACCES, Dev("ttyUSB0"), nullptr, m_roots);
    EXPECT_FALSE(problem.groupCanOpen);
    text = ExplainOpenProblem(problem);
    EXPECT_FALSE(Has(text, "usermod")) << text;
    EXPECT_TRUE(Has(text, "udev の規則")) << text;
}

TEST_F(FakeSystem, BusyNamesTheProgramsThatHoldThePort) {
    Plug();
    const std::string device = fs::canonical(Dev("ttyUSB0")).string();
    Process(4242, "minicom");
    Process(4243, "screen", device);
    Process(4244, "bash", Dev("ttyACM0"));
    Process(77, "ModemManager");
    WriteBytes(m_roots.lockDirs[0] + "/LCK..ttyUSB0", "      4242\n");
    WriteBytes(m_roots.lockDirs[1] + "/LCK..ttyUSB0", "      9999\n"); // stale: no such process

    // Named by its stable name, found by the device it is.
    OpenProblem problem =
        DiagnoseOpenFailure(EBUSY, Dev(std::string("serial/by-id/") + kById), nullptr, m_roots);
    EXPECT_EQ(problem.kind, OpenProblem::Kind::Busy);
    ASSERT_EQ(problem.holders.size(), 2u);
    EXPECT_EQ(problem.holders[0].pid, 4242);
    EXPECT_EQ(problem.holders[0].command, "minicom");
    EXPECT_EQ(problem.holders[1].command, "screen");
    ASSERT_EQ(problem.suspects.size(), 1u);
    std::string text = ExplainOpenProblem(problem);
    EXPECT_TRUE(Has(text, "使用中のプログラム: minicom（プロセス ID 4242）\n")) << text;
    EXPECT_TRUE(Has(text, "ModemManager が動いています")) << text;
    EXPECT_FALSE(Has(text, "どのプログラムかは分かりません")) << text;

    // Nothing tells: the usual takers are named as what it often is.
    fs::remove_all(m_roots.proc);
    fs::create_directories(m_roots.proc);
    problem = DiagnoseOpenFailure(EBUSY, Dev("ttyUSB0"), nullptr, m_roots);
    EXPECT_TRUE(problem.holders.empty());
    text = ExplainOpenProblem(problem);
    EXPECT_TRUE(Has(text, "は他のプログラムが使用中です")) << text;
    EXPECT_TRUE(Has(text, "ModemManager")) << text;
    EXPECT_TRUE(Has(text, "brltty")) << text;
}

TEST_F(FakeSystem, NoSuchDeviceListsThePortsThereAreOrSaysThereAreNone) {
    const std::string typo = Dev("ttyUSB7");
    OpenProblem problem = DiagnoseOpenFailure(ENOENT, typo, nullptr, m_roots);
    EXPECT_EQ(problem.kind, OpenProblem::Kind::Missing);
    EXPECT_TRUE(problem.present.empty());
    std::string text = ExplainOpenProblem(problem);
    EXPECT_TRUE(Has(text, typo + " はありません。\n")) << text;
    EXPECT_TRUE(Has(text, "シリアルポートが1つも見つかりません。")) << text;
    EXPECT_FALSE(Has(text, "brltty")) << text;

    Plug();
    Process(300, "brltty");
    problem = DiagnoseOpenFailure(ENOENT, typo, nullptr, m_roots);
    ASSERT_EQ(problem.present.size(), 3u);
    EXPECT_TRUE(problem.brlttyRuns);
    text = ExplainOpenProblem(problem);
    EXPECT_TRUE(Has(text, "この PC にあるシリアルポート:\n  " + problem.present[0].path +
                              "  (FTDI FT232R USB UART)\n  " + Dev("ttyACM0")))
        << text;
    EXPECT_TRUE(Has(text, "brltty が動いています")) << text;

    // Any other failure: the system's reason says it all.
    EXPECT_EQ(ExplainOpenProblem(DiagnoseOpenFailure(EIO, typo, nullptr, m_roots)), "");
}

} // namespace
} // namespace tessel
