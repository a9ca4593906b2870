#include "metafile_player.h"

namespace velmora {

// No metafile player: Qt reads none, and a word processor without one shows a frame too.
bool playsMetafiles()
{
    return false;
}

QImage playMetafile(rtf::Picture::Kind, const QByteArray&, QSize)
{
    return {};
}

} // namespace velmora
