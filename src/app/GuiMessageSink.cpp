#include "app/GuiMessageSink.h"

#include "res/StringTable.h"
#include "ui/MessageBox.h"

#include <QFile>

namespace tessel {

void GuiMessageSink::ShowMessage(unsigned id) {
    ShowAppMessage(m_owner, id);
}

void GuiMessageSink::ShowFileError(const std::string& path, const std::string& reason) {
    const QString name = QFile::decodeName(path.c_str());
    ShowMessageBox({m_owner, LoadQString(AFX_IDS_APP_TITLE),
                    QStringLiteral("%1\n%2").arg(name, QString::fromLocal8Bit(reason.c_str())),
                    QMessageBox::Warning, QMessageBox::Ok});
}

} // namespace tessel
