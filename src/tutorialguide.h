#pragma once

#include "guidepainter.h"

#include <QCoreApplication>
#include <QList>
#include <QPixmap>

class Controls;

// The tutorial picture as the player's keyboard prints the keys. The shipped
// picture shows the default keys on a US layout; when the layout or the
// remapped keys name them otherwise, the keyboard rows are drawn again over it.
class TutorialGuide {
    Q_DECLARE_TR_FUNCTIONS(TutorialGuide)
public:
    static const QString kPicture;

    static QPixmap load(const Controls& controls);
    static QList<GuidePainter::Row> rows(const Controls& controls);
    static QList<QStringList> capsOf(const QList<GuidePainter::Row>& rows);
    // The caps the shipped picture carries.
    static QList<QStringList> shippedCaps();
};
