// Planted for the layering test: a model must never include a widget.
#include <QLabel>
#include <QtCore/QString>
