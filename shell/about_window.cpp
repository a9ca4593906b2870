#include "about_window.h"

#include "picture_button.h"
#include "twips.h"
#include "window_style.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace velmora {

namespace {

const QColor kLightYellow(255, 255, 128);

struct LabelLayout {
    int index;
    int left, top, width, height; // twips; width and height only for a fixed-size label
    const char* family;
    double points;
    int weight;
    bool italic;
    Qt::Alignment alignment;
    bool fixedSize; // otherwise sized to its text
    const char* text;
    const char* toolTip;
};

// Top to bottom, as the window shows them. The credits are the program's own.
const LabelLayout kLabels[] = {
    {0, 240, 240, 4755, 300, "MS Sans Serif", 12, QFont::Normal, false, Qt::AlignLeft, false,
     "Vatra e Lirë – botime digjitale", nullptr},
    {17, 240, 480, 645, 405, "Arial Black", 14.25, QFont::Black, false, Qt::AlignLeft, false, "VLM",
     nullptr},
    {18, 960, 600, 360, 240, "Arial Narrow", 9.75, QFont::Normal, false, Qt::AlignLeft, false,
     "2000", nullptr},
    {19, 1440, 600, 2190, 240, "Arial", 9.75, QFont::Normal, true, Qt::AlignLeft, false,
     "– Vatra e Lirë Multimedia", nullptr},
    {6, 240, 1080, 3675, 480, "Arial", 20.25, QFont::Bold, false, Qt::AlignLeft, false,
     "Velmora 2.0", nullptr},
    {1, 480, 1560, 1290, 240, "MS Sans Serif", 9.75, QFont::Normal, false, Qt::AlignLeft, false,
     "Ismail Dervishi", nullptr},
    {22, 240, 2160, 1095, 240, "MS Sans Serif", 9.75, QFont::Bold, false, Qt::AlignLeft, false,
     "Mirënjohje", nullptr},
    {23, 360, 2400, 4545, 240, "MS Sans Serif", 9.75, QFont::Normal, false, Qt::AlignLeft, false,
     "Shtëpisë botuese «Agimi» për përkrahjen", nullptr},
    {5, 240, 2880, 1200, 240, "MS Sans Serif", 9.75, QFont::Bold, false, Qt::AlignLeft, false,
     "Programimi", nullptr},
    {11, 360, 3120, 1500, 240, "MS Sans Serif", 9.75, QFont::Normal, false, Qt::AlignLeft, false,
     "Arben Kastrati", "Për pyetje: tel. 038 000 000, Prishtinë"},
    {14, 2040, 3120, 2745, 240, "MS Sans Serif", 9.75, QFont::Normal, false, Qt::AlignRight, false,
     "arben.kastrati@example.org", nullptr},
    {12, 1695, 3600, 1635, 240, "MS Sans Serif", 9.75, QFont::Normal, false, Qt::AlignHCenter,
     false, "Prishtinë, nëntor 2000", nullptr},
    {13, 120, 3960, 5055, 375, "Arial", 6.75, QFont::Normal, false, Qt::AlignHCenter, true,
     "Ky program jepet falas. Lejohet kopjimi dhe shpërndarja e tij vetëm i pandryshuar "
     "dhe pa qëllim fitimi.",
     nullptr},
};

struct LineLayout {
    int index;
    int x1, y, x2;  // twips; both lines are horizontal
    int thickness;  // pixels
    int underlines; // the index of the label it underlines, or -1
};

const LineLayout kLines[] = {
    {0, 0, 960, 5280, 3, -1},
    {1, 480, 1800, 1920, 1, 1},
};

} // namespace

AboutWindow::AboutWindow(QWidget* parent)
    // A tool window with a title bar and a close button, nothing else, and no taskbar button.
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmRrethProg"));
    setWindowTitle(QStringLiteral("Rreth programit..."));
    setWindowIcon(QIcon());
    setFixedSize(kClientSize);
    setSizeGripEnabled(false);
    QPalette navy = palette();
    navy.setColor(QPalette::Window, kNavy);
    setPalette(navy);
    setAutoFillBackground(true);
    createControls();

    centreOnScreen(*this, kClientSize);
}

void AboutWindow::createControls()
{
    // Wider than the window, so cut off at the right; 90 twips lower than it, leaving a strip
    // of the window's own surface uncovered at the bottom.
    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(twipsRect(0, 0, 5415, 4410));
    Picture1->setAutoFillBackground(true); // the same navy as the window
    Picture1->installEventFilter(this);

    const QColor ink = palette().color(QPalette::HighlightedText);
    for (const LabelLayout& entry : kLabels) {
        auto* text = new QLabel(QString::fromUtf8(entry.text), Picture1);
        text->setObjectName(QStringLiteral("Label1_%1").arg(entry.index));
        QFont font(QString::fromLatin1(entry.family));
        font.setPointSizeF(entry.points);
        font.setWeight(static_cast<QFont::Weight>(entry.weight));
        font.setItalic(entry.italic);
        text->setFont(font);
        QPalette colours = text->palette();
        colours.setColor(QPalette::WindowText, entry.index == 14 ? kLightYellow : ink);
        text->setPalette(colours);
        text->setAlignment(entry.alignment | Qt::AlignTop);
        if (entry.toolTip)
            text->setToolTip(QString::fromUtf8(entry.toolTip));
        if (entry.fixedSize) {
            text->setWordWrap(true);
            text->setGeometry(twipsRect(entry.left, entry.top, entry.width, entry.height));
        } else {
            // Sized to its text, its top left corner in place, as in the main window.
            text->move(twipsToPixels(entry.left), twipsToPixels(entry.top));
            text->adjustSize();
        }
        // Labels keep their clicks: a click on one must not reach Picture1 and close.
        text->installEventFilter(this);
        m_labels << text;
    }

    const QColor lineColour = palette().color(QPalette::Base);
    for (const LineLayout& entry : kLines) {
        auto* line = new QFrame(Picture1);
        line->setObjectName(QStringLiteral("Line1_%1").arg(entry.index));
        line->setFrameShape(QFrame::NoFrame);
        const int y = twipsToPixels(entry.y) - entry.thickness / 2;
        int left = twipsToPixels(entry.x1);
        int right = twipsToPixels(entry.x2);
        // A face wider than the one the window was drawn for would leave the end of the
        // underlined name bare: the line reaches as far as its text.
        if (const QLabel* text = entry.underlines < 0 ? nullptr : label(entry.underlines)) {
            left = std::min(left, text->x());
            right = std::max(right, text->geometry().right());
        }
        line->setGeometry(left, y, right - left + 1, entry.thickness);
        QPalette colours = line->palette();
        colours.setColor(QPalette::Window, lineColour);
        line->setPalette(colours);
        line->setAutoFillBackground(true);
        // Lines take no clicks: a click on one is a click on Picture1.
        line->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    Command1 = new PictureButton(this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twipsRect(4560, 3360, 495, 495));
    Command1->setToolTip(QStringLiteral("Kthehu"));
    Command1->setPicture(QStringLiteral(":/pictures/tick.ico"));
    // The face takes the colour scroll bars are drawn in.
    QPalette face = Command1->palette();
    face.setColor(QPalette::Button, QApplication::palette("QScrollBar").color(QPalette::Button));
    Command1->setPalette(face);
    Command1->raise();
    Command1->setFocus();
    connect(Command1, &QToolButton::clicked, this, &AboutWindow::Command1_Click);
    keepTextsUncovered();
}

QLabel* AboutWindow::label(int index) const
{
    return Picture1->findChild<QLabel*>(QStringLiteral("Label1_%1").arg(index),
                                        Qt::FindDirectChildrenOnly);
}

void AboutWindow::keepTextsUncovered()
{
    // The button and its focus ring stand in front of the texts. A face taller than the one the
    // window was drawn for (MS Sans Serif at 125 % and more, Windows' own at every scale) runs
    // the foot of the e-mail line under the ring: the button then moves down, as far as the
    // terms of use below it allow, and the e-mail line rises by what is still missing.
    constexpr int kGap = 1; // between the ink of a text and what the button draws
    const QRect drawn = drawnArea(*Command1);
    int below = height();
    QHash<QLabel*, int> above; // how far each text above reaches into what the button draws
    for (QLabel* text : std::as_const(m_labels)) {
        const QRect place = text->geometry();
        if (place.right() < drawn.left() || place.left() > drawn.right())
            continue;
        // Where the letters are, not the box: a box is as deep as the face's deepest letter.
        const QFontMetrics metrics(text->font());
        const QRect ink = metrics.tightBoundingRect(text->text())
                              .translated(place.left(), place.top() + metrics.ascent());
        if (place.top() >= Command1->y())
            below = std::min(below, ink.top());
        else
            above.insert(text, ink.bottom() + 1 + kGap - drawn.top());
    }
    const int overlap = above.isEmpty() ? 0 : *std::max_element(above.cbegin(), above.cend());
    const int lowered = std::clamp(overlap, 0, std::max(below - kGap - 1 - drawn.bottom(), 0));
    Command1->move(Command1->x(), Command1->y() + lowered);
    for (auto it = above.cbegin(); it != above.cend(); ++it)
        it.key()->move(it.key()->x(), it.key()->y() - std::max(it.value() - lowered, 0));
}

void AboutWindow::Command1_Click()
{
    close();
}

void AboutWindow::Form_Click()
{
    close();
}

void AboutWindow::Picture1_Click()
{
    close();
}

void AboutWindow::mousePressEvent(QMouseEvent* event)
{
    m_pressedOn = event->button() == Qt::LeftButton ? this : nullptr;
    QDialog::mousePressEvent(event);
}

void AboutWindow::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressedOn == this && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressedOn = nullptr;
    if (click)
        Form_Click();
    else
        QDialog::mouseReleaseEvent(event);
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Paint && watched == Picture1) {
        QPainter painter(Picture1);
        drawFocusRing(painter, *Picture1);
        return false;
    }
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
                       type == QEvent::MouseButtonDblClick;
    if (!mouse)
        return QDialog::eventFilter(watched, event);
    if (watched != Picture1)
        return true; // a label: the click ends here

    const auto* press = static_cast<QMouseEvent*>(event);
    if (type == QEvent::MouseButtonPress) {
        m_pressedOn = press->button() == Qt::LeftButton ? Picture1 : nullptr;
    } else if (type == QEvent::MouseButtonRelease) {
        const bool click = m_pressedOn == Picture1 && press->button() == Qt::LeftButton &&
                           Picture1->rect().contains(press->position().toPoint());
        m_pressedOn = nullptr;
        if (click)
            Picture1_Click();
    }
    return true;
}

} // namespace velmora
