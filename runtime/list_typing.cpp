#include "runtime/list_typing.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QObject>

namespace chimewell {

namespace {
class TypedCharacterFilter : public QObject {
public:
    explicit TypedCharacterFilter(QObject* parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && TypesACharacter(*static_cast<QKeyEvent*>(event))) {
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

bool TypesACharacter(const QKeyEvent& key) {
    const QString text = key.text();
    return !text.isEmpty() && text.at(0).isPrint() && key.key() != Qt::Key_Space &&
           (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
}

void DiscardTypedCharacters(QComboBox* box) {
    auto* filter = new TypedCharacterFilter(box);
    box->installEventFilter(filter);
    box->view()->installEventFilter(filter);
}

} // namespace chimewell
