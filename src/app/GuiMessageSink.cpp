#include "app/GuiMessageSink.h"

#include "res/StringTable.h"
#include "ui/MessageBox.h"

#include <QFile>

namespace tessel {

void GuiMessageSink::ShowMessage(unsigned id) {
    ShowAppMessage(m_owner, id);
}

void GuiMessageSink::ShowLineMessage(unsigned id, std::size_t /*line*/, std::size_t /*column*/,
                                     const Problem& place) {
    QString text = LoadQString(id);
    if (!place.Ok())
        text += QLatin1Char('\n') + QString::fromStdString(DescribeProblem(place));
    ShowMessageBox(
        {m_owner, LoadQString(AFX_IDS_APP_TITLE), text, QMessageBox::Warning, QMessageBox::Ok});
}

void GuiMessageSink::ShowFileError(FileAction action, const std::string& path,
                                   const std::string& reason) {
    const QString name = QFile::decodeName(path.c_str());
    const unsigned sentence =
        action == FileAction::Open ? IDS_FILE_OPEN_FAILED : IDS_FILE_SAVE_FAILED;
    ShowMessageBox({m_owner, LoadQString(AFX_IDS_APP_TITLE),
                    LoadQString(sentence).arg(name) + QLatin1Char('\n') +
                        QString::fromLocal8Bit(reason.c_str()),
                    QMessageBox::Warning, QMessageBox::Ok});
}

} // namespace tessel
