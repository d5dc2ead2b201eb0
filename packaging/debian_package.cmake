# The Debian package (make deb): what the install above puts in place, under /usr.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME chimewell)
# The program's own version, as its about box and chimewell-cli --version show it.
set(CPACK_PACKAGE_VERSION 2.01.000)
set(CPACK_PACKAGE_VENDOR "青禾工作室")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reminders by the Gregorian or the Chinese lunar calendar (晴铃提醒)")
# The summary above is the first line; these lines follow it as they stand, a blank line between paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Chimewell waits in the desktop's notification area and reminds you on the
days and at the times you choose, by the Gregorian calendar or the Chinese
lunar calendar with its leap months and the 24 solar terms. A reminder can
repeat, hold only in given weeks or on the official workdays of China's
holiday schedule, play music, and open a program, a file or an address.

The command chimewell-cli converts between the calendars, lists the solar
terms and a month with its festivals and holidays, and reads the reminders
for scripts.")
# Debian's tools want a maintainer's address; the studio's is at the domain of the program's component id.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "青禾工作室 <chimewell@qinghe.studio>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

# The libraries come from what the executables link, worked out by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no link shows: the default alarm is a file of the freedesktop sound theme; Qt Multimedia plays
# through GStreamer, whose plugins for Ogg and WAV (base) and MP3 and AVI (good) are loaded at run time; and
# the launcher's icon is found in the hicolor theme only through that theme's index.
# Qt's own texts (file dialogs, edit menus) are loaded in Chinese from its translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "sound-theme-freedesktop, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, hicolor-icon-theme, qt6-translations-l10n")
# MIDI music (through fluidsynth) and the rarer codecs inside AVI files; a Chinese font for a system that
# has none; Qt's Wayland platform, without which a Wayland session without XWayland cannot show the program;
# a Secret Service, where the calendar sync keeps its password (desktops bring one of their own).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "gstreamer1.0-plugins-bad, gstreamer1.0-libav, fonts-wqy-microhei | fonts-noto-cjk, qt6-wayland, gnome-keyring | kwalletmanager | keepassxc")

include(CPack)
