#include "font_stand_ins.h"

#include <QApplication>
#include <QFontDatabase>

namespace velmora {

namespace {

struct StandIn {
    const char* family;
    QStringList candidates;
};

// In order of preference. MS Sans Serif and the dialog font are as narrow as Arial, whose twin
// Liberation Sans fits the boxes drawn for them; DejaVu Sans, the usual Linux default, is wider.
const QList<StandIn>& standIns()
{
    static const QStringList sans{"Liberation Sans", "Arimo", "Nimbus Sans", "FreeSans"};
    static const QStringList naskh{"Amiri", "Noto Naskh Arabic", "Noto Sans Arabic"};
    static const QList<StandIn> list{
        {"MS Sans Serif", sans},
        {"Microsoft Sans Serif", sans},
        {"MS Shell Dlg", sans},
        {"MS Shell Dlg 2", sans},
        {"Arial", sans},
        {"Arial Black", sans},
        {"Arial Narrow", {"Liberation Sans Narrow", "Arimo", "Nimbus Sans Narrow"}},
        {"Times New Roman", {"Liberation Serif", "Tinos", "Nimbus Roman", "FreeSerif"}},
        {"Courier New", {"Liberation Mono", "Cousine", "Nimbus Mono PS", "FreeMono"}},
        {"Traditional Arabic", naskh},
        {"Simplified Arabic", naskh},
        {"Arabic Typesetting", naskh},
        {"Sakkal Majalla", naskh},
        {"Arabic Transparent", naskh},
    };
    return list;
}

// The dialog font the windows were drawn for: MS Sans Serif, 8 points.
constexpr double kDialogPoints = 8.25;

} // namespace

QHash<QString, QString> chooseFontStandIns(const QStringList& installedFamilies)
{
    QHash<QString, QString> chosen;
    for (const StandIn& standIn : standIns()) {
        const QString family = QString::fromLatin1(standIn.family);
        if (installedFamilies.contains(family, Qt::CaseInsensitive))
            continue; // the real face is here
        for (const QString& candidate : standIn.candidates) {
            if (installedFamilies.contains(candidate, Qt::CaseInsensitive)) {
                chosen.insert(family, candidate);
                break;
            }
        }
    }
    return chosen;
}

void installFontStandIns()
{
    const QStringList installed = QFontDatabase::families();
    const QHash<QString, QString> chosen = chooseFontStandIns(installed);
    for (auto it = chosen.cbegin(); it != chosen.cend(); ++it)
        QFont::insertSubstitution(it.key(), it.value());
    // Where that dialog font is missing, so is the platform's idea of it: the windows
    // take MS Sans Serif's size in its stand-in rather than a wider system default.
    if (chosen.contains(QStringLiteral("MS Sans Serif"))) {
        QFont dialog(QStringLiteral("MS Sans Serif"));
        dialog.setPointSizeF(kDialogPoints);
        QApplication::setFont(dialog);
    }
}

} // namespace velmora
