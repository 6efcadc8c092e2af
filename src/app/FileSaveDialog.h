#pragma once

#include <QFileDialog>

class QCheckBox;

namespace tessel {

// The save dialog: the file dialog with two check boxes below it,
// "行番号をﾌｧｲﾙへ出力(&L)", which says whether a line-numbered document is
// stored with its line numbers, and "UTF-8 で保存(&U)", whether the file is
// kept in UTF-8 rather than in the device's code page 932. It is Qt's own
// file dialog, since the system's cannot carry a widget of ours.
class FileSaveDialog : public QFileDialog {
    Q_OBJECT

public:
    // The check boxes' states.
    struct Options {
        bool lineNumbers = true;
        bool utf8 = false;
    };

    explicit FileSaveDialog(QWidget* parent = nullptr, const QString& caption = {});

    // What the check boxes open with; when `lineNumbersEnabled` is false the
    // line-number box starts disabled. Before the dialog is shown.
    void SetOptions(const Options& options, bool lineNumbersEnabled);
    // The check boxes' states when a name was accepted, whether the
    // line-number box is enabled or not; until then, what they opened with.
    const Options& Chosen() const { return m_options; }

    // A name accepted: the check boxes' states are kept for Chosen().
    void done(int result) override;

protected:
    // Puts the options into the check boxes and disables the first unless
    // allowed.
    void showEvent(QShowEvent* event) override;

private:
    // Another filter picked (1-based): the DATA entry disables the box, the
    // others enable it; the check mark stays as it is.
    void OnTypeChange(qsizetype index);

    QCheckBox* m_btnLineNum;
    QCheckBox* m_btnUtf8;
    Options m_options;
    bool m_lineNumbersEnabled = true;
    bool m_initialised = false;
};

} // namespace tessel
