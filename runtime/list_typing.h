#pragma once
// Drop-down lists whose entries can only be chosen: a typed letter or digit would jump to an entry it begins
// (and change a stored number behind the user's back), while arrows, Space and Enter still choose.

class QComboBox;
class QKeyEvent;

namespace chimewell {

// Makes the list (and its open drop-down) ignore typed characters.
void DiscardTypedCharacters(QComboBox* box);
// True for a key that types a character; such keys are the ones the lists ignore.
bool TypesACharacter(const QKeyEvent& key);

} // namespace chimewell
