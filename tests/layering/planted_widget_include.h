// Planted for the layering test: a model must never include a widget.
#include <QtCore/QString>
#include <QLabel>
