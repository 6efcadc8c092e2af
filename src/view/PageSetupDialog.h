#pragma once

#include "view/PageSetup.h"

#include <QDialog>

#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessel {

// What the page setup hands back on OK.
struct PageSetupChoice {
    PageSetup setup; // complete with printer settings
    bool printPage = false;
};

// "ページの設定": orientation, paper size and source, the four margins in
// millimetres, and whether pages carry their numbers. It edits a copy of a
// window's page setup and hands it back on OK; the caller stores it.
class PageSetupDialog : public QDialog {
    Q_OBJECT

public:
    // `setup` is the window's page setup; `current` the printer settings to
    // show while it has none of its own; `printPage` the application's
    // page-number setting, which the check box always opens with.
    PageSetupDialog(const PageSetup& setup, const PageSetup::Printer& current, bool printPage,
                    QWidget* parent = nullptr);

    // Runs the dialog: the page setup chosen on OK, none on Cancel.
    std::optional<PageSetupChoice> Choose();

    void accept() override;

private:
    void FillPaperSizes();
    void FillPaperSources();
    void OnPrinter();
    PageSetup::Printer ChosenPrinter() const;
    // Reads one margin field into hundredths of a millimetre; on a bad
    // value says so, selects the field and returns false.
    bool ReadMargin(QLineEdit* field, int& hundredths);
    void Refuse(QLineEdit* field, const QString& text);

    PageSetupChoice m_choice;
    PageSetup::Printer m_printer;
    std::vector<QPageSize> m_pageSizes; // the size list's entries
    QRadioButton* m_portrait;
    QRadioButton* m_landscape;
    QWidget* m_sample;
    QComboBox* m_paperSize;
    QComboBox* m_paperSource;
    QLineEdit* m_left;
    QLineEdit* m_right;
    QLineEdit* m_top;
    QLineEdit* m_bottom;
    QCheckBox* m_btnPrintPage;
    QPushButton* m_printerButton;
};

// Hundredths of a millimetre as the margin fields show them: "20", "20.5",
// "20.05".
QString FormatMillimetres(int hundredths);
// A margin field's text as hundredths of a millimetre: digits with at most
// two decimals, blanks around allowed; false for anything else.
bool ParseMillimetres(const QString& text, int& hundredths);

} // namespace tessel
