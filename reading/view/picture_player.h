#pragma once
// Draws a metafile into an image where the system can play it: Windows plays Windows and
// enhanced metafiles itself (picture_player_windows.cpp); elsewhere there is no player, and the
// picture is an empty frame (picture_player_other.cpp).

#include "rtf/model.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace velmora {

// An image of pixels size, or a null image when the metafile is not played.
QImage playMetafile(rtf::Picture::Kind kind, const QByteArray& bytes, QSize pixels);

} // namespace velmora
