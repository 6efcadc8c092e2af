#pragma once

#include <QFileDialog>

class QCheckBox;

namespace tessel {

// The save dialog: the file dialog with one check box below it,
// "行番号をﾌｧｲﾙへ出力(&L)", which says whether a line-numbered document is
// stored with its line numbers. It is Qt's own file dialog, since the
// system's cannot carry a widget of ours.
class CFileSaveDlg : public QFileDialog {
    Q_OBJECT

public:
    explicit CFileSaveDlg(QWidget* parent = nullptr, const QString& caption = {});

    // The check box's state: given before the dialog opens, read back when a
    // name is accepted, whether the box is enabled or not.
    bool m_bLineNum = true;
    // When false the check box starts disabled.
    bool m_bEnableLineNum = true;

    // A name accepted: the check box's state goes to m_bLineNum.
    void done(int result) override;

protected:
    // Puts m_bLineNum into the check box and disables it unless allowed.
    void showEvent(QShowEvent* event) override;

private:
    // Another filter picked (1-based): the DATA entry disables the box, the
    // others enable it; the check mark stays as it is.
    void OnTypeChange(qsizetype index);

    QCheckBox* m_btnLineNum;
    bool m_bInitialised = false;
};

} // namespace tessel
