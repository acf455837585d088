#!/usr/bin/env bash
# Builds a demo Wine prefix with several host installations for the
# installer to find:
#   LightWave 3D 2015.3 (64-bit view)          -> found, new layout
#   LightWave 11.6 (uninstall string only)      -> found, old layout
#   LightWave 3D 2018.0.7 (32-bit view only)    -> found
#   NewTek LightWave 2019.1.5 (no DisplayVersion, GUID key with its icon) -> found
#   LightWave 3D 2015.1 32-bit (32-bit Modeler) -> skipped
#   LightWave 9.6                               -> logged as old
#   Autodesk 3ds Max 2018 (20.0)                -> found
#   Autodesk 3ds Max 2021 (23.0)                -> skipped silently
#   Cinema 4D R16 (16.050)                      -> logged as old
#   Maxon Cinema 4D R20 (20.026)                -> found
# and the LightWave configuration files of the user's profile.
#
# usage: make-demo-prefix.sh PREFIX [USER]
set -euo pipefail
prefix=${1:?usage: make-demo-prefix.sh PREFIX [USER]}
user=${2:-${USER:-$(id -un)}}

rm -rf "$prefix"
mkdir -p "$prefix/drive_c" "$prefix/dosdevices"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s / "$prefix/dosdevices/z:"
c="$prefix/drive_c"

# A file whose header says which machine it was built for (i386 or AMD64),
# which is all the installer reads of an executable.
pe() {
  mkdir -p "$(dirname "$1")"
  { printf 'MZ'; head -c 126 /dev/zero; printf 'PE\0\0'; printf "$2"; head -c 4000 /dev/zero; } > "$1"
}

lw="$c/Program Files/NewTek"
pe "$lw/LightWave_2015.3/bin/Modeler.exe" '\x64\x86'
pe "$lw/LightWave_2015.3/bin/Layout.exe" '\x64\x86'
mkdir -p "$lw/LightWave_2015.3/support/plugins" "$lw/LightWave_2015.3/support/l10n"
pe "$lw/LightWave_11.6/bin/Modeler.exe" '\x64\x86'
mkdir -p "$lw/LightWave_11.6/support/plugins"
pe "$lw/LightWave_2018/bin/Modeler.exe" '\x64\x86'
mkdir -p "$lw/LightWave_2018/support/l10n"
pe "$lw/LightWave_2019/bin/Modeler.exe" '\x64\x86'
pe "$lw/LightWave_2019/bin/Layout.exe" '\x64\x86'
mkdir -p "$lw/LightWave_2019/support/l10n"
pe "$c/Program Files (x86)/NewTek/LightWave_2015_32/bin/Modeler.exe" '\x4c\x01'
max="$c/Program Files/Autodesk"
mkdir -p "$max/3ds Max 2018/plugins" "$max/3ds Max 2018/UI_ln/Icons" "$max/3ds Max 2018/scripts/Startup"
echo "another vendor's plug-in" > "$max/3ds Max 2018/plugins/OtherVendor.dlo"
mkdir -p "$max/3ds Max 2021/plugins"
mkdir -p "$c/Program Files/MAXON/Cinema 4D R20/plugins" "$c/Program Files/MAXON/CINEMA 4D R16/plugins"

# The user's LightWave configuration (CR LF lines, as LightWave writes them).
crlf() { sed 's/$/\r/'; }
menu() {
  crlf <<'EOF'
LWMenuConfig 1
MenuEntry 65536 "Main" _
MenuEntry 1 "Create"
MenuEntry 131073 "Box" "MakeBox"
MenuEntry 131073 "Ball" "MakeBall"
MenuEntry 0 .
MenuEntry 1 "My own tools"
MenuEntry 131073 "Measure twice" "MyMeasure"
MenuEntry 0 .
MenuEntry 65537
MenuEntry 1 "Modify"
MenuEntry 131073 "Move" "Move"
MenuEntry 0 .
EOF
}
extensions() {
  crlf <<'EOF'
{ Entry
  Class "MeshEditTool"
  Name "MyMeasure"
  Module "C:\\Users\\me\\plugins\\my_measure.p"
}
EOF
}
cfg="$c/users/$user/.NewTek/LightWave"
for v in 2015.3 2018.0.7 2019.1.5; do
  mkdir -p "$cfg/$v"
  menu > "$cfg/$v/LWM$v-64.CFG"
  extensions > "$cfg/$v/LWEXT$v-64.CFG"
done
mkdir -p "$cfg/11.6"
menu > "$cfg/11.6/LWM11-64.CFG"
extensions > "$cfg/11.6/LWEXT11-64.CFG"

# HKEY_LOCAL_MACHINE as Wine keeps it.
u='Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall'
w='Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall'
cat > "$prefix/system.reg" <<EOF
WINE REGISTRY Version 2
;; All keys relative to \\\\Machine

#arch=win64

[$u\\\\Autodesk 3ds Max 2018] 1796883218
#time=1d6b0c2d2f0e1a2
"DisplayName"="Autodesk 3ds Max 2018"
"DisplayVersion"="20.0"
"InstallLocation"="C:\\\\Program Files\\\\Autodesk\\\\3ds Max 2018\\\\"

[$u\\\\Autodesk 3ds Max 2021] 1796883218
"DisplayName"="Autodesk 3ds Max 2021"
"DisplayVersion"="23.0"
"InstallLocation"="C:\\\\Program Files\\\\Autodesk\\\\3ds Max 2021\\\\"

[$u\\\\CINEMA 4D R16] 1796883218
"DisplayName"="Cinema 4D R16"
"DisplayVersion"="16.050"
"InstallLocation"="C:\\\\Program Files\\\\MAXON\\\\CINEMA 4D R16"

[$u\\\\LightWave 11.6] 1796883218
"DisplayName"="LightWave 11.6"
"DisplayVersion"="11.6"
"UninstallString"="C:\\\\Program Files\\\\NewTek\\\\LightWave_11.6\\\\Uninstall.exe /S"

[$u\\\\LightWave 2015.3] 1796883218
"DisplayName"="LightWave 3D 2015.3"
"DisplayVersion"="2015.3"
"InstallLocation"="C:\\\\Program Files\\\\NewTek\\\\LightWave_2015.3"

[$u\\\\LightWave 9.6] 1796883218
"DisplayName"="LightWave 9.6"
"DisplayVersion"="9.6"
"InstallLocation"="C:\\\\Program Files\\\\NewTek\\\\LightWave_9.6"

[$u\\\\Maxon Cinema 4D R20] 1796883218
"DisplayName"="Maxon Cinema 4D R20"
"DisplayVersion"="20.026"
"InstallLocation"="C:\\\\Program Files\\\\MAXON\\\\Cinema 4D R20"

[$u\\\\{6E4A2D10-5B3C-4A1D-9C2B-7F1E0D3A2019}] 1796883218
"DisplayIcon"="C:\\\\Program Files\\\\NewTek\\\\LightWave_2019\\\\bin\\\\Layout.exe,0"

[$u\\\\{6E4A2D10-5B3C-4A1D-9C2B-7F1E0D3A2019}_LightWave] 1796883218
"DisplayName"="NewTek LightWave 2019.1.5"

[$w\\\\LightWave 2015 32-bit] 1796883218
"DisplayName"="LightWave 3D 2015.1 32-bit"
"DisplayVersion"="2015.1"
"InstallLocation"="C:\\\\Program Files (x86)\\\\NewTek\\\\LightWave_2015_32"

[$w\\\\LightWave 2018] 1796883218
"DisplayName"="LightWave 3D 2018.0.7"
"DisplayVersion"="2018.0.7"
"InstallLocation"="C:\\\\Program Files\\\\NewTek\\\\LightWave_2018"
EOF
echo "demo prefix ready: $prefix (user $user)"
