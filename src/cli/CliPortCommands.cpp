#include "cli/CliRunner.h"

#include "cli/CliListings.h"
#include "comm/ComPort.h"
#include "comm/TransferFlows.h"
#include "settings/StateFolder.h"
#include "sys/Platform.h"

namespace tessel::cli {

bool Runner::SendText(std::string& bytes) {
    if (m_editor.GetLength() == 0) {
        Fail(m_name + ": " + std::string(LoadString(IDS_CLI_NOTHING_TO_SEND)));
        return false;
    }
    if (!PrepareSend(*m_doc, bytes)) {
        CannotBeSent();
        return false;
    }
    return true;
}

std::string_view Runner::OnTheWire(std::string_view bytes) const {
    const std::size_t end = bytes.find(static_cast<char>(m_settings.m_comSettings.EndCode()));
    return end == std::string_view::npos ? bytes : bytes.substr(0, end + 1);
}

bool Runner::WireBytes(std::string& bytes) {
    if (!SendText(bytes))
        return false;
    bytes.resize(OnTheWire(bytes).size());
    return true;
}

int Runner::Send() {
    const InterruptGuard interrupts;
    return AfterSignals(SendFile());
}

int Runner::SendFile() {
    // The whole buffer goes to the worker, which stops after the end
    // code itself: its progress counts depend on the buffer's length.
    std::string bytes;
    if (!SendText(bytes))
        return kExitFailure;
    WarnOfBytesTheLineLoses(OnTheWire(bytes));
    const TransferOutcome outcome =
        RunTransfer(TransferWorker::Mode::Send, m_settings.m_comSettings, bytes, m_context.err);
    switch (outcome.end) {
    case TransferOutcome::End::Completed:
        if (InterruptGuard::Caught() != 0)
            Fail(m_name + ": " + std::string(LoadString(IDS_CLI_SEND_INTERRUPTED_AFTER)));
        return kExitOk;
    case TransferOutcome::End::OpenFailed:
        return OpenFailed(outcome);
    case TransferOutcome::End::Interrupted:
        Fail(m_name + ": " + std::string(LoadString(IDS_CLI_SEND_INTERRUPTED)));
        return kExitSignalBase + outcome.signal;
    case TransferOutcome::End::TimedOut: // a send has no time-out
    case TransferOutcome::End::LineFailed:
        break;
    }
    return Fail(outcome.device + ": " + LoadFormatted(IDS_CLI_SEND_BROKE_OFF, {Because(outcome)}));
}

int Runner::AfterSignals(int status) {
    const int signal = InterruptGuard::Caught();
    return signal != 0 ? kExitSignalBase + signal : status;
}

void Runner::WarnOfBytesTheLineLoses(std::string_view bytes) {
    const ComSettings& com = m_settings.m_comSettings;
    if (com.FlowControl == kFlowXonXoff &&
        bytes.find_first_of("\x11\x13") != std::string_view::npos)
        m_context.err.Write(m_name + ": " + std::string(LoadString(IDS_WARN_FLOW_CODES)) + "\n");
    if (com.DataBit == 0 &&
        std::ranges::any_of(bytes, [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        m_context.err.Write(m_name + ": " + std::string(LoadString(IDS_WARN_SEVEN_BITS)) + "\n");
}

int Runner::Receive() {
    const InterruptGuard interrupts;
    return AfterSignals(ReceiveFile());
}

int Runner::ReceiveFile() {
    // A file that cannot be written is found out before the device sends
    // a byte of it.
    if (m_options.output && *m_options.output != "-")
        if (const FileError error = CheckWritable(*m_options.output))
            return Fail(m_name + ": " + error.Reason());
    std::string received;
    const TransferOutcome outcome =
        RunTransfer(TransferWorker::Mode::Receive, m_settings.m_comSettings, received,
                    m_context.err, std::chrono::milliseconds(m_options.timeoutMs.value_or(0)));
    if (outcome.end == TransferOutcome::End::OpenFailed)
        return OpenFailed(outcome);

    // What arrived is stored however the transfer ended.
    const bool stored = !received.empty() && StoreReceived(received);
    const std::string count = Bytes(received.size());
    std::string what = received.empty() ? std::string(LoadString(IDS_CLI_NOTHING_ARRIVED))
                                        : LoadFormatted(IDS_CLI_AFTER_BYTES, {count});
    // A broken line names the device first, so the file is named after.
    const std::string whatAndWhere =
        what + (stored ? LoadFormatted(IDS_CLI_ARRIVED_STORED_IN, {m_name}) : std::string());
    if (stored)
        what += LoadString(IDS_CLI_ARRIVED_STORED);
    switch (outcome.end) {
    case TransferOutcome::End::Completed:
        if (InterruptGuard::Caught() != 0)
            Fail(m_name + ": " +
                 LoadFormatted(stored ? IDS_CLI_RECEIVE_INTERRUPTED_STORED
                                      : IDS_CLI_RECEIVE_INTERRUPTED_AFTER,
                               {count}));
        return stored ? kExitOk : kExitFailure;
    case TransferOutcome::End::OpenFailed: // reported above
        return kExitFailure;
    case TransferOutcome::End::Interrupted:
        Fail(m_name + ": " + LoadFormatted(IDS_CLI_RECEIVE_INTERRUPTED, {what}));
        return kExitSignalBase + outcome.signal;
    case TransferOutcome::End::TimedOut:
        Fail(m_name + ": " +
             LoadFormatted(IDS_CLI_RECEIVE_GAVE_UP, {Seconds(*m_options.timeoutMs), what}));
        return kExitTimedOut;
    case TransferOutcome::End::LineFailed:
        break;
    }
    return Fail(outcome.device + ": " +
                LoadFormatted(IDS_CLI_RECEIVE_BROKE_OFF, {Because(outcome), whatAndWhere}));
}

bool Runner::StoreReceived(const std::string& received) {
    std::string problem;
    std::string bytes;
    if (!AcceptReceived(*m_doc, received)) {
        problem = DocumentMessage(IDS_CLI_CANNOT_HOLD_RECEIVED);
        bytes = received; // as it came
    } else {
        bytes = StoredReceived(received);
        // Kept as the device's bytes when they cannot be UTF-8.
        problem = Encode(bytes, m_name);
        if (problem.empty()) {
            const FileError error = WriteResult(bytes);
            if (!error)
                return true;
            problem = m_name + ": " + error.Reason();
        }
    }
    std::string kept;
    if (const FileError error =
            KeepReceivedInStateFolder(bytes, DocKindExtension(m_options.Kind()), kept))
        Fail(problem + LoadFormatted(IDS_CLI_RECEIVED_NOT_KEPT, {error.Reason()}));
    else
        Fail(problem +
             LoadFormatted(IDS_CLI_RECEIVED_KEPT, {ShownName(sys::NativeSeparators(kept))}));
    return false;
}

std::string Runner::StoredReceived(const std::string& received) {
    if (!m_numbered || m_numbered->GetLineNumOutput())
        return m_doc->SerializeStore();
    const ComSettings& com = m_settings.m_comSettings;
    std::string text = received;
    RemoveEndCode(text, com.EndCode());
    FromDeviceLineEnds(text, static_cast<int>(com.EndOfLine));
    return text;
}

int Runner::OpenFailed(const TransferOutcome& outcome) {
    std::string line = outcome.device + ": " + std::string(LoadString(IDS_PORT_OPEN_FAILED));
    if (!outcome.reason.empty())
        line += " (" + outcome.reason + ")";
    line += '\n';
    if (outcome.openError != 0)
        line += OpenProblemAdvice(DiagnoseOpenFailure(outcome.openError, outcome.device,
                                                      &m_settings.m_comSettings, m_context.roots));
    m_context.err.Write(line);
    return kExitFailure;
}

int Runner::Ports() {
    const std::vector<SerialPortInfo> ports =
        DiscoverSerialPorts(&m_settings.m_comSettings, m_context.roots);
    std::string text = m_options.json ? PortsJson(ports) : PortsTable(ports);
    if (ports.empty())
        m_context.err.Write("tessel-cli: " +
                            std::string(LoadString(sys::kWindows ? IDS_CLI_NO_PORT_FOUND_WINDOWS
                                                                 : IDS_CLI_NO_PORT_FOUND)) +
                            "\n");
    if (const FileError failed = m_context.out.Write(text))
        return Fail(std::string(LoadString(IDS_CLI_STANDARD_OUTPUT)) + ": " + failed.Reason());
    return kExitOk;
}

std::string Runner::Because(const TransferOutcome& outcome) {
    return outcome.reason.empty() ? std::string() : " (" + outcome.reason + ")";
}

std::string Runner::Seconds(unsigned ms) {
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
        char fraction[8];
        std::snprintf(fraction, sizeof fraction, ".%03u", ms % 1000);
        std::string digits = fraction;
        while (digits.back() == '0')
            digits.pop_back();
        text += digits;
    }
    return text + " s";
}

std::string Runner::Bytes(std::size_t count) {
    return LoadFormatted(count == 1 ? IDS_CLI_BYTE : IDS_CLI_BYTES, {std::to_string(count)});
}

} // namespace tessel::cli
