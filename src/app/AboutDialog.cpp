#include "app/AboutDialog.h"

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

AboutDialog::AboutDialog(const QString& settingsPath, QWidget* parent) : QDialog(parent) {
    setWindowTitle(LoadQString(IDS_ABOUT_CAPTION));
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    auto* text =
        new QLabel(LoadQString(IDS_ABOUT_TEXT).arg(QApplication::applicationVersion()), this);
    // The file to look at, or to copy elsewhere: its name can be selected.
    auto* settings = new QLabel(LoadQString(IDS_ABOUT_SETTINGS).arg(settingsPath), this);
    settings->setObjectName(QStringLiteral("settingsFile"));
    settings->setTextFormat(Qt::PlainText);
    settings->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(LoadQString(IDS_BUTTON_OK));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(settings);
    layout->addWidget(buttons);
    // Wide enough for the whole caption, and no minimise or maximise box.
    SetDialogFrame(this, true);
}

} // namespace tessel
