// Pictures: a \pict group in the text becomes one U+FFFC in the current format and a Picture
// in the model, its bytes decoded once.

#include "parser.h"

#include <algorithm>

namespace velmora::rtf {

void Parser::beginPicture()
{
    // A picture inside a picture, or in a group past the stored depth, is not read.
    if (state().destination != Destination::Text || m_deep.depth > 0 || m_pictures.depth > 0) {
        setDestination(Destination::Skip);
        return;
    }
    setDestination(Destination::Picture);
    m_pictures.depth = m_stack.size();
    m_pictures.reader.begin();
}

void Parser::pictureData(std::size_t count)
{
    const std::size_t at = std::min(m_tokens.offset(), m_bytes.size());
    m_pictures.reader.addBinary(m_bytes.substr(at, std::min(count, m_bytes.size() - at)));
}

void Parser::endPicture()
{
    m_pictures.depth = 0;
    Picture picture = m_pictures.reader.finish();
    // Nothing to show: neither a size nor bytes to take one from.
    if (picture.data.empty() && (picture.width == 0 || picture.height == 0))
        return;
    if (state().chr.hidden || m_pictures.count >= kMaxPictures)
        return;
    append(Model::kObject); // a list's label goes first
    picture.position = static_cast<int32_t>(m_writer.length() - 1);
    if (m_pictures.shapeAt != PictureState::kNone &&
        static_cast<std::size_t>(picture.position) >= m_pictures.shapeAt) {
        m_pictures.shapePictureEnd = m_writer.length();
        m_pictures.shapeAt = PictureState::kNone;
    }
    ++m_pictures.count;
    m_writer.addPicture(std::move(picture));
}

void Parser::nonShapePicture()
{
    if (m_pictures.shapePictureEnd == m_writer.length())
        setDestination(Destination::Skip);
}

} // namespace velmora::rtf
