# The desktop program under Wine on Xvfb (sourced by test.sh): its window
# shows, one clip converts through the window driven with xdotool, and Exit
# writes the settings into the registry with their types.

GUI_DISPLAY="${KESTOVAR_WINE_DISPLAY:-:87}"
SHOTS="$WORK/screenshots"
KEY='HKCU\Software\Brenholt\Kestovar3GPVideoConverter'

shot() { import -display "$GUI_DISPLAY" -window root "$SHOTS/$1.png" 2>/dev/null; }

# The main window's id, once it has been mapped.
main_window() {
    local i id
    for i in $(seq 1 120); do
        id="$(xdotool search --onlyvisible --name 'Kestovar 3GP Video Converter' 2>/dev/null | head -1)"
        [ -n "$id" ] && { printf '%s' "$id"; return 0; }
        sleep 0.5
    done
    return 1
}

# Clicks at x,y inside the window's client area.
click() {
    xdotool mousemove --window "$WINDOW" "$1" "$2" click 1
    sleep "${3:-1}"
}

gui() {
    mkdir -p "$SHOTS"
    local clip="$WORK/gui/Grüße clip.avi"
    mkdir -p "$WORK/gui"
    ffmpeg -v error -nostdin -y -f lavfi -i "testsrc=size=320x240:rate=25" -f lavfi \
        -i "sine=frequency=440:sample_rate=44100" -t 4 -c:v mpeg4 -c:a pcm_s16le "$clip"
    local out="$WINEPREFIX/drive_c/3gpVideo"
    rm -rf "$out"
    "$WINE" reg delete "$KEY" /f >/dev/null 2>&1

    Xvfb "$GUI_DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    local xvfb=$!
    sleep 2
    export DISPLAY="$GUI_DISPLAY"
    (cd "$BIN" && exec "$WINE" kestovar3gp.exe "$(winpath "$clip")") >"$WORK/gui.log" 2>&1 &
    local program=$!
    if ! WINDOW="$(main_window)"; then
        shot no-window
        fail "the desktop program showed no window (screenshot $SHOTS/no-window.png)"
        kill "$program" "$xvfb" 2>/dev/null
        return
    fi
    sleep 3
    xdotool windowmove "$WINDOW" 0 0
    sleep 1
    shot 1-started
    pass "the desktop program's window is shown ($(xdotool getwindowname "$WINDOW"))"
    gui_steps
    kill "$xvfb" 2>/dev/null
    wait "$program" 2>/dev/null
    unset DISPLAY
}

# Presses keys in the program's focused window: the buttons' mnemonics and
# the menu's shortcuts reach them wherever the page has put them (the phone
# page grows to hold its preview).
press() {
    xdotool windowfocus "$WINDOW" 2>/dev/null
    xdotool key --clearmodifiers "$1"
    sleep "${2:-1}"
}

# Next>> twice (Alt+N: clip page, phone page), Start (Alt+S) on the convert
# page, Enter on the completion message, then Exit (Ctrl+Q), which stores
# the settings.
gui_steps() {
    press alt+n 2
    shot 2-phone-page
    press alt+n 2
    shot 3-convert-page
    press alt+s 1
    local i
    for i in $(seq 1 120); do
        compgen -G "$out/*.3gp" >/dev/null && break
        sleep 1
    done
    sleep 3
    shot 4-converted
    local made; made="$(ls "$out" 2>/dev/null | grep '\.3gp$' | head -1)"
    if [ -n "$made" ] && ffprobe -v error "$out/$made" >/dev/null 2>&1; then
        pass "the window converted the clip into C:\\3gpVideo\\$made"
    else
        fail "no output in C:\\3gpVideo after Start (screenshots in $SHOTS)"
    fi
    # The completion message has the focus; Enter is its OK.
    xdotool key --clearmodifiers Return
    sleep 1
    shot 5-completed
    press ctrl+q 1
    for i in $(seq 1 30); do kill -0 "$program" 2>/dev/null || break; sleep 1; done
    "$WINE" reg query "$KEY" >"$WORK/registry.txt" 2>&1
    local bad=0 name
    for name in PhoneManufacturer PhoneModel Resolution Quality FrameRate VideoQuality AudioFrequency \
        AudioQuality AudioChannels PictureFit SizeLimit EvenLoudness Subtitles; do
        grep -qE "^\s+$name\s+REG_DWORD\s" "$WORK/registry.txt" || { bad=1; log "not a REG_DWORD: $name"; }
    done
    grep -qE '^\s+OutputFolder\s+REG_SZ\s+C:\\3gpVideo' "$WORK/registry.txt" || { bad=1; log "OutputFolder is not REG_SZ C:\\3gpVideo"; }
    if [ $bad -eq 0 ]; then
        pass "Exit stored the settings: the numbers as REG_DWORD, OutputFolder as REG_SZ ($WORK/registry.txt)"
    else
        fail "registry after Exit: $(tr '\n' ' ' <"$WORK/registry.txt")"
    fi
}
