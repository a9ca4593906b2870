#pragma once
// Draws a metafile into an image where the system can play it: Windows plays Windows and
// enhanced metafiles itself (metafile_player_windows.cpp); elsewhere there is no player
// (metafile_player_linux.cpp), and the picture is an empty frame.

#include "rtf/model.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace velmora {

// Whether playMetafile can draw anything here: where it cannot, a metafile's bytes are not kept.
bool playsMetafiles();

// An image of pixels size, or a null image when the metafile is not played.
QImage playMetafile(rtf::Picture::Kind kind, const QByteArray& bytes, QSize pixels);

} // namespace velmora
