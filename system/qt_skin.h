#pragma once
// The skin engine: a skin is a Qt style sheet that restyles every window of the application. Loading a skin
// keeps its style sheet and, while skinning is on, applies it at once; switching skinning off clears it.

#include <string>

namespace chimewell {

// Reads the skin `name` of the skins folder; a skin that cannot be read (missing, unreadable, too large, not a
// plain name of the folder, naming an image it may not) changes nothing and gives false, with `why` set.
bool LoadSkinFile(const std::string& skinsFolder, const std::string& name, std::string* why = nullptr);
void SwitchSkinning(bool on);
bool SkinningOn();

// The skin setting applied: an empty name switches skinning off, a skin that loads switches it on, and a skin
// that cannot be read changes nothing. Returns why a skin was refused, or nothing.
std::string ApplySkinSetting(const std::string& skinsFolder, const std::string& skinFileName);

} // namespace chimewell
