// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

namespace zoka {

// The title screen: its design layout, the picture file it shows and the help
// toggle, apart from drawing.
namespace intro {

inline const QString BitmapFile = QStringLiteral("Intro_Zoka.bmp");
inline const QString JpegFile = QStringLiteral("Intro_Zoka.jpg");
inline const QString HelpFile = QStringLiteral("Aide.txt");

// Design geometry (client coordinates of the 798 x 598 design window).
inline constexpr QRect Picture{0, 0, 800, 580};
inline constexpr QRect Title{210, 96, 200, 153};
// The invisible areas over the picture's drawn buttons.
inline constexpr QRect ContinueArea{424, 505, 121, 64};
inline constexpr QRect HelpArea{568, 505, 73, 64};
inline constexpr QRect QuitArea{664, 505, 89, 64};
inline constexpr QRect ContinueButton{104, 360, 121, 25};
inline constexpr QRect HelpButton{248, 360, 121, 25};
inline constexpr QRect QuitButton{392, 360, 121, 25};
inline constexpr QRect HelpText{56, 16, 505, 273};

// The title picture is drawn for an 800 x 600 area and shown centred, at its
// natural size, in the picture control (800 x 580): row y of the picture lands
// on row y - PictureTopCut of the control.
inline constexpr QSize PictureSize{800, 600};
inline constexpr int PictureTopCut = (PictureSize.height() - Picture.height()) / 2;

// How far every control moves so that the layout stays centred on a screen of the
// given size: ((w - 800) div 2, (h - 600) div 2), rounded toward zero (negative on
// screens smaller than 800 x 600).
QPoint layoutOffset(const QSize &screen);

// The picture to show, looked up in `dir`: the bitmap, else the JPEG, else "" (the
// plain title screen).
QString pictureFile(const QString &dir);

// Reads the help text (Windows-1252, one line per file line). False with a French
// text when the file cannot be read.
bool readHelpText(const QString &path, QStringList *lines, QString *error);

// The help of the title screen, opened and closed by the help area of the picture
// and closed by the "Aide" button, whose caption tells the state.
class HelpToggle {
public:
    static QString closedCaption() { return QStringLiteral("Aide"); }
    static QString openCaption() { return QStringLiteral("Fermer l'aide"); }

    // Help area released: opens the help (loading `path`) when the caption is "Aide",
    // otherwise closes it. A help file that cannot be read is reported (message box)
    // and leaves the empty help area shown and the caption "Aide".
    void helpAreaReleased(const QString &path);
    // The "Aide" button: closes an open help, does nothing otherwise.
    void helpButtonClicked();

    QString caption = closedCaption();
    bool memoVisible = false;
    bool buttonVisible = false; // the fallback screen shows the button from the start
    QStringList lines;

private:
    void close();
};

} // namespace intro
} // namespace zoka
