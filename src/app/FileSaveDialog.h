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
    explicit FileSaveDialog(QWidget* parent = nullptr, const QString& caption = {});

    // The check box's state: given before the dialog opens, read back when a
    // name is accepted, whether the box is enabled or not.
    bool lineNumbers = true;
    // When false the check box starts disabled.
    bool lineNumbersEnabled = true;
    // The UTF-8 check box's state, in and out as lineNumbers.
    bool utf8 = false;

    // A name accepted: the check boxes' states go to lineNumbers and utf8.
    void done(int result) override;

protected:
    // Puts lineNumbers and utf8 into the check boxes and disables the
    // first unless allowed.
    void showEvent(QShowEvent* event) override;

private:
    // Another filter picked (1-based): the DATA entry disables the box, the
    // others enable it; the check mark stays as it is.
    void OnTypeChange(qsizetype index);

    QCheckBox* m_btnLineNum;
    QCheckBox* m_btnUtf8;
    bool m_initialised = false;
};

} // namespace tessel
