#include "wording.h"

#include <QDir>

namespace velmora {

namespace {

// The system's own wording of a file error is English; the reader is told in Albanian.
QString reasonOf(BookFileError error)
{
    switch (error) {
    case BookFileError::DanglingLink:
        return QStringLiteral("lidhja simbolike nuk të çon te asnjë skedar");
    case BookFileError::Folder: return QStringLiteral("është dosje, jo skedar");
    case BookFileError::NotPlainFile: return QStringLiteral("nuk është skedar i zakonshëm");
    case BookFileError::NoPermission: return QStringLiteral("nuk ka leje për ta lexuar");
    case BookFileError::ReadFailed: return QStringLiteral("leximi i tij dështoi");
    case BookFileError::NoResources: return QStringLiteral("sistemit i mungojnë burimet");
    case BookFileError::Damaged: return QStringLiteral("përmbajtja e tij është e dëmtuar");
    default: return QStringLiteral("sistemi nuk e hapi");
    }
}

} // namespace

QString bookFailureText(const BookFileOutcome& outcome, const QString& path)
{
    QString rest;
    switch (outcome.error) {
    case BookFileError::None: return {};
    case BookFileError::Missing: rest = QStringLiteral("nuk u gjet."); break;
    case BookFileError::TooLarge:
        rest = QStringLiteral("është tepër i madh për të qenë libër.");
        break;
    case BookFileError::Empty: rest = QStringLiteral("është i zbrazët."); break;
    case BookFileError::NotRtf: rest = QStringLiteral("nuk është skedar RTF."); break;
    default: rest = QStringLiteral("nuk mund të lexohet: %1.").arg(reasonOf(outcome.error)); break;
    }
    return QStringLiteral("Skedari «%1» %2").arg(QDir::toNativeSeparators(path), rest);
}

QString searchPromptText(SearchPrompt prompt)
{
    switch (prompt) {
    case SearchPrompt::EmptyText: return QStringLiteral("Shëno diçka në kutizën për kërkim!");
    case SearchPrompt::RestartFromTop:
        return QStringLiteral("Teksti nuk përmendet më!\r\n"
                              "A dëshironi të fillon kërkimi prej fillimit të tekstit?");
    case SearchPrompt::NotFound: return QStringLiteral("Teksti nuk përmendet!");
    }
    return {};
}

MessageButtons searchPromptButtons(SearchPrompt prompt)
{
    return prompt == SearchPrompt::RestartFromTop ? MessageButtons::OkCancel : MessageButtons::Ok;
}

SearchPrompter messageBoxPrompter(QWidget* parent)
{
    return [parent](SearchPrompt prompt) {
        return showMessage(parent, searchPromptText(prompt), searchPromptButtons(prompt)) ==
               MessageAnswer::Ok;
    };
}

} // namespace velmora
