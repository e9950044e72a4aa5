# What is shipped, sourced by scripts/windows/test.sh: first, that every DLL
# the programs and their DLLs import is shipped or is Windows' own (Wine
# brings DLLs that Windows lacks, such as zlib1.dll, so running under Wine
# alone cannot show a missing one). Then the installer under Wine: a silent
# install for the current user and one for all users, each in a fresh prefix
# of its own. Checks the installed files, the Start-menu shortcut, the "Open
# with" entries and the uninstall entry; that the installed CLI converts a
# clip; and that the uninstaller removes the program and its entries but keeps
# the user's settings and outputs.

# The value of $2 under the key $1 (without $2, the key's default value), as
# reg query prints it.
reg_value() {
    local which=(/ve) name="(Default)"
    if [ -n "${2:-}" ]; then which=(/v "$2"); name="$2"; fi
    "$WINE" reg query "$1" "${which[@]}" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$name *REG_[A-Z_]* *//p"
}

# The whole key $1 as text (reg export writes UTF-16).
reg_text() {
    local file="$WORK/export.reg"
    rm -f "$file"
    "$WINE" reg export "$1" "$(winpath "$WORK")\\export.reg" /y >/dev/null 2>&1 &&
        iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r'
}

wait_for_wine() { "$WINESERVER" -w; }

# installer_mode CurrentUser|AllUsers ROOTKEY START_MENU_FOLDER
installer_mode() {
    local mode="$1" root="$2" menu="$3"
    local uninstkey="$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestovar3GPVideoConverter"
    local settings='HKCU\Software\Brenholt\Kestovar3GPVideoConverter'
    export WINEPREFIX="$BUILD/wineprefix-install"
    rm -rf "$WINEPREFIX" && "$WINE" wineboot -i >/dev/null 2>&1

    log "installing silently with /$mode"
    "$WINE" "$SETUP" /S "/$mode" >"$WORK/install-$mode.log" 2>&1
    wait_for_wine
    local where; where="$(reg_value "$uninstkey" InstallLocation)"
    if [ -z "$where" ]; then
        fail "$mode install: no uninstall entry under $uninstkey (log $WORK/install-$mode.log)"
        return
    fi
    local dir; dir="$("$WINE" winepath -u "$where" 2>/dev/null)"
    local missing
    missing="$(cd "$DIST" && find . -type f | while read -r f; do [ -f "$dir/$f" ] || echo "$f"; done)"
    if [ -n "$missing" ] || [ ! -f "$dir/uninstall.exe" ]; then
        fail "$mode install into $where lacks: $missing"
    else
        pass "$mode install: all $(cd "$DIST" && find . -type f | wc -l) files and uninstall.exe in $where"
    fi
    local link="$WINEPREFIX/drive_c/$menu/Kestovar 3GP Video Converter/Kestovar 3GP Video Converter.lnk"
    [ -f "$link" ] && pass "$mode install: the Start-menu shortcut" || fail "$mode install: no shortcut at $link"

    local classes; classes="$(reg_text "$root\\Software\\Classes")"
    local ext absent=""
    for ext in $OPEN_WITH_TYPES; do
        grep -qiF "\\Classes\\$ext\\OpenWithList\\kestovar3gp.exe]" <<<"$classes" || absent="$absent $ext"
    done
    local command
    command="$(reg_value "$root\\Software\\Classes\\Applications\\kestovar3gp.exe\\shell\\open\\command")"
    if [ -z "$absent" ] && [ "$command" = "\"$where\\kestovar3gp.exe\" \"%1\"" ]; then
        pass "$mode install: \"Open with\" for the $(wc -w <<<"$OPEN_WITH_TYPES") video types, opening $command"
    else
        fail "$mode install: \"Open with\" missing for:$absent; command '$command'"
    fi

    # The installed program, from where it was installed; then what the user
    # keeps: an output and a setting.
    local out="$WORK/installed-out-$mode"
    rm -rf "$out" && mkdir -p "$out"
    "$WINE" "$dir/kestovar3gp-cli.exe" -m "Nokia 6630" -o "$(winpath "$out")" "$(winpath "$INSTALLER_CLIP")" \
        >"$WORK/installed-cli-$mode.log" 2>&1
    if ffprobe -v error "$out/clip.3gp" >/dev/null 2>&1; then
        pass "$mode install: the installed CLI converted a clip"
    else
        fail "$mode install: the installed CLI made no clip.3gp (log $WORK/installed-cli-$mode.log)"
    fi
    "$WINE" reg add "$settings" /v PhoneModel /t REG_DWORD /d 2 /f >/dev/null 2>&1

    local uninstall; uninstall="$(reg_value "$uninstkey" UninstallString)"
    log "uninstalling silently: $uninstall /S"
    # The uninstaller copies itself away and runs from there; the server
    # waiting for every process waits for that copy too.
    eval "set -- $uninstall"
    "$WINE" "$@" /S >"$WORK/uninstall-$mode.log" 2>&1
    wait_for_wine
    local left=""
    [ -e "$dir" ] && left="$left the folder $where ($(ls -A "$dir" | tr '\n' ' '));"
    [ -e "$(dirname "$link")" ] && left="$left the Start-menu folder;"
    [ -n "$(reg_value "$uninstkey" InstallLocation)" ] && left="$left the uninstall entry;"
    classes="$(reg_text "$root\\Software\\Classes")"
    grep -qi 'kestovar3gp.exe' <<<"$classes" && left="$left \"Open with\" entries;"
    if [ -z "$left" ]; then
        pass "$mode uninstall: the program, its shortcut and its entries are gone"
    else
        fail "$mode uninstall left:$left"
    fi
    if [ "$(reg_value "$settings" PhoneModel)" = 0x2 ] && [ -f "$out/clip.3gp" ]; then
        pass "$mode uninstall: the user's settings and output stay"
    else
        fail "$mode uninstall: settings '$(reg_value "$settings" PhoneModel)', output $(ls "$out")"
    fi
}

# The DLLs every Windows 10 has that the shipped files may import.
WINDOWS_DLLS="advapi32 authz bcrypt comdlg32 d3d11 d3d9 dwmapi dwrite dxgi gdi32 imm32 kernel32 mpr msvcrt
netapi32 ole32 oleaut32 shcore shell32 shlwapi user32 userenv uxtheme version winmm ws2_32 wtsapi32"

shipped_imports() {
    local shipped missing="" file name
    shipped="$(cd "$DIST" && find . -type f -iname '*.dll' -printf '%f\n' | tr 'A-Z' 'a-z')"
    while read -r file; do
        while read -r name; do
            name="${name,,}"
            case "$name" in api-ms-win-*) continue ;; esac
            grep -qxF "$name" <<<"$shipped" && continue
            grep -qw "${name%.dll}" <<<"$WINDOWS_DLLS" && continue
            missing="$missing ${file#"$DIST"/} needs $name;"
        done < <(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\tDLL Name: //p')
    done < <(find "$DIST" -type f \( -iname '*.exe' -o -iname '*.dll' \))
    if [ -z "$missing" ]; then
        pass "every DLL that the shipped programs and DLLs import is shipped or Windows' own"
    else
        fail "not shipped:$missing"
    fi
}

installer() {
    local version; version="$(sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
    SETUP="$BUILD/kestovar3gp-$version-setup.exe"
    DIST="$BUILD/dist/Kestovar3GP"
    [ -f "$SETUP" ] || { fail "no installer: run scripts/windows/build.sh package first"; return; }
    WINESERVER="$(dirname "$WINE")/wineserver"
    # The video types the installer registers.
    OPEN_WITH_TYPES="$(sed -n 's/^ *!insertmacro \${CALL} "\(\.[a-z0-9]*\)"/\1/p' "$ROOT/packaging/windows/installer.nsi" | tr '\n' ' ')"
    INSTALLER_CLIP="$WORK/installer-source/clip.avi"
    mkdir -p "$(dirname "$INSTALLER_CLIP")"
    ffmpeg -v error -nostdin -y -f lavfi -i "testsrc=size=320x240:rate=25" -f lavfi -i "sine=frequency=440" \
        -t 2 -c:v mpeg4 -c:a pcm_s16le "$INSTALLER_CLIP"
    shipped_imports
    local prefix="$WINEPREFIX"
    installer_mode CurrentUser HKCU "users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
    installer_mode AllUsers HKLM "ProgramData/Microsoft/Windows/Start Menu/Programs"
    export WINEPREFIX="$prefix"
}
