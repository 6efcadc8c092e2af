#include "app/AboutDlg.h"

#include "res/StringTable.h"
#include "ui/DialogFields.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessel {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(LoadQString(IDS_ABOUT_CAPTION));
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    auto* text =
        new QLabel(LoadQString(IDS_ABOUT_TEXT).arg(QApplication::applicationVersion()), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(LoadQString(IDS_BUTTON_OK));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    // Wide enough for the whole caption, and no minimise or maximise box.
    SetDialogFrame(this, true);
}

} // namespace tessel
