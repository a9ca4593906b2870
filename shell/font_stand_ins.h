#pragma once
// The Windows families that the windows and the books name, drawn where they are missing by the
// installed faces that match them best: the metric twins of Arial, Times New Roman and Arial
// Narrow, a sans face as narrow as MS Sans Serif for the controls sized for it, and a
// Naskh face for Arabic. Only inside the program (Qt's font substitutions), never in the
// system's configuration. Qt keeps asking for the family itself first, so on Windows, where the
// families exist, nothing changes; the view still reports the book's own family names.

#include <QFont>
#include <QHash>
#include <QString>
#include <QStringList>

namespace velmora {

// Which installed face stands in for each Windows family: the first of its candidates that is
// installed. A family with no candidate installed is left to the system's own choice.
QHash<QString, QString> chooseFontStandIns(const QStringList& installedFamilies);

// Makes Qt draw every family missing here in its stand-in, and gives the windows their
// dialog font (MS Sans Serif's 8 points) where the system has no such font: the panel's boxes
// were sized for it. Nothing is done where the Windows families are installed.
void installFontStandIns();

} // namespace velmora
