#!/bin/bash
# Draws every picture and icon of Corvane with ImageMagick, from nothing but the shapes below:
# the raven badge icons (.ico), the window strips, the splash and about pictures and the button
# glyphs (24-bit BMP). Usage: make_images.sh <output folder>
set -euo pipefail
out=$1
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Palette: the windows' background, and the colours that go with it.
BG='#6B62A0'        # RGB(107, 98, 160)
DEEP='#2B2550'
DARKEST='#1A1633'
LAVENDER='#B8B0E8'
MOON='#D4CEF2'
GOLD='#F0C850'
SERIF=DejaVu-Serif-Bold
SANS=DejaVu-Sans
SANS_BOLD=DejaVu-Sans-Bold

# A raven's head in profile, facing right, in a 100 x 100 box (for the badge).
RAVEN_HEAD="M 14 100 C 10 70 16 42 34 30 C 45 20 60 17 69 23 L 99 42 L 70 52 C 68 66 66 82 68 100 Z"
# A raven perched, facing right, in a 100 x 100 box, and its wing line.
RAVEN="M 20 80 L 33 67 C 29 56 33 44 44 37 C 50 31 55 25 59 19 C 62 12 70 9 76 12 L 93 17 L 78 22
       C 79 32 77 42 71 51 C 66 59 59 64 52 67 L 55 79 L 52 79 L 48 69 L 45 70 L 47 79 L 44 79
       L 40 70 L 24 82 Z"
WING="M 50 42 C 58 47 57 58 40 69"

# bmp <png in> <name> [RLE]: a BMP without alpha, the format LoadImage takes everywhere, with 8
# bits a pixel and a palette of its own 256 colours: a third of the 24-bit size, and to the eye
# the same picture (gradients and text; under 256 colours it is exact). Uncompressed unless asked:
# a run-length encoded one cannot become a DIB section, and the program loads it as a bitmap of
# the display's format instead (the splash and the About box: a third of their size).
bmp() {
    convert "$1" -background "$BG" -alpha remove -alpha off +dither -colors 256 -type Palette \
        -compress "${3:-None}" "BMP3:$out/$2.bmp"
}

# badge <file> <size> <fill> <ring> <eye>: the round raven badge of the icons, drawn large.
badge() {
    local s=$2 c=$(($2 / 2))
    local r1=$((c * 62 / 64)) r2=$((c * 52 / 64)) k
    k=$(awk -v s="$s" 'BEGIN { printf "%.4f", s / 100 }')
    convert -size "${s}x${s}" xc:none \
        -fill "$4" -draw "circle $c,$c $c,$((c - r1))" \
        -fill "$3" -draw "circle $c,$c $c,$((c - r2))" \
        \( -size "${s}x${s}" xc:none -fill black -draw "scale $k,$k translate 12,16 scale 0.76,0.76 path '$RAVEN_HEAD'" \
           -fill "$5" -draw "scale $k,$k translate 12,16 scale 0.76,0.76 circle 54,33 54,39" \
           \( -size "${s}x${s}" xc:none -fill white -draw "circle $c,$c $c,$((c - r2))" \) \
           -compose DstIn -composite \) \
        -compose Over -composite "$1"
}

# ico_entry <master png> <size> <colours: 16 or 0 for 24-bit> <entry file>: one icon image,
# that is a BMP's header (height doubled), its colours, and the 1-bit transparency mask.
ico_entry() {
    local src=$1 size=$2 colours=$3 dst=$4
    local base="$work/e$size-$colours"
    convert "$src" -filter box -resize "${size}x${size}" "$base.png"
    # Half-covered pixels become opaque; transparent ones black, as the mask expects.
    convert "$base.png" -channel A -threshold 50% +channel -background black -alpha remove -alpha off "$base-col.png"
    if [ "$colours" = 16 ]; then
        # 15 colours of the picture plus pure black, so transparent pixels stay exactly black.
        convert "$base-col.png" +dither -colors 15 -unique-colors "$base-pal.png"
        convert "$base-pal.png" xc:black +append "$base-pal16.png"
        convert "$base-col.png" +dither -remap "$base-pal16.png" -type Palette -depth 4 "BMP3:$base.bmp"
    else
        convert "$base-col.png" -type TrueColor "BMP3:$base.bmp"
    fi
    # The mask, set bits transparent: PBM's 1 is black, so transparent areas are drawn black.
    # Rows of an icon's mask are 32-bit aligned and bottom-up: flip, and widen to 32 pixels.
    convert "$base.png" -alpha extract -threshold 50% -flip -background white -gravity west \
        -extent "$(( (size + 31) / 32 * 32 ))x$size" "PBM:$base.pbm"
    local mask_bytes=$(( (size + 31) / 32 * 4 * size ))
    local offbits
    offbits=$(od -An -tu4 --endian=little -j10 -N4 "$base.bmp" | tr -d ' ')
    local xor_bytes=$(( $(stat -c %s "$base.bmp") - offbits ))
    cp "$base.bmp" "$base-patch.bmp"
    le32 $((size * 2)) | dd of="$base-patch.bmp" bs=1 seek=22 conv=notrunc status=none
    le32 $((xor_bytes + mask_bytes)) | dd of="$base-patch.bmp" bs=1 seek=34 conv=notrunc status=none
    { tail -c +15 "$base-patch.bmp"; tail -c "$mask_bytes" "$base.pbm"; } > "$dst"
}

le16() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }

# ico <out.ico> <master png> <colours> <size>...: the icon file with one image per size.
ico() {
    local dst=$1 src=$2 colours=$3
    shift 3
    local n=$# offset=$((6 + 16 * $#)) size entries=()
    for size in "$@"; do
        ico_entry "$src" "$size" "$colours" "$work/entry$size"
        entries+=("$work/entry$size")
    done
    {
        le16 0; le16 1; le16 "$n"
        for size in "$@"; do
            local bytes bpp=24
            [ "$colours" = 16 ] && bpp=4
            bytes=$(stat -c %s "$work/entry$size")
            printf "\\$(printf %03o "$size")\\$(printf %03o "$size")\\$(printf %03o "$colours")\\000"
            le16 1; le16 "$bpp"; le32 "$bytes"; le32 "$offset"
            offset=$((offset + bytes))
        done
        cat "${entries[@]}"
    } > "$out/$dst"
}

# --- Icons -------------------------------------------------------------------------------
badge "$work/badge.png" 256 "$BG" "$DEEP" "$GOLD"
# The second frame of the tray animation: the badge lights up in gold.
badge "$work/badge-lit.png" 256 "$GOLD" "$DEEP" white
ico MainIcon.ico "$work/badge.png" 0 16 24 32 48
ico TrayIcon.ico "$work/badge.png" 16 16 24 32
ico TrayAnim.ico "$work/badge-lit.png" 16 16 24 32

# --- Window strips -------------------------------------------------------------------------
# strip <name> <width> <height>: the decorative strip down a window's left edge: a dusk
# gradient, faint feathers, the badge at the top and, where wide enough, the name running up.
strip() {
    local name=$1 w=$2 h=$3 b
    b=$(( w - 8 < 40 ? w - 8 : 40 ))
    local feathers="" y
    for ((y = b + 16; y < h; y += 14)); do
        feathers+=" path 'M 0 $((y + 10)) Q $((w / 2)) $y $w $((y - 6))'"
    done
    convert -size "${w}x${h}" gradient:"#3A3372-$DARKEST" \
        -fill none -stroke '#FFFFFF14' -strokewidth 1 -draw "$feathers" \
        -stroke none -fill "$DEEP" -draw "rectangle $((w - 2)),0 $((w - 2)),$h" \
        -fill "$LAVENDER" -draw "rectangle $((w - 1)),0 $((w - 1)),$h" \
        \( "$work/badge.png" -filter box -resize "${b}x${b}" \) -gravity north -geometry +0+6 -compose Over -composite \
        "$work/strip.png"
    if [ "$w" -ge 33 ]; then
        convert "$work/strip.png" \( -background none -font "$SERIF" -pointsize $(( w * 2 / 5 )) \
            -fill '#B8B0E8A0' label:Corvane -rotate -90 \) \
            -gravity south -geometry -1+12 -compose Over -composite "$work/strip.png"
    fi
    bmp "$work/strip.png" "$name"
}
strip MainStrip 22 197
strip HistoryStrip 47 293
strip CookieStrip 33 301
strip PopupStrip 48 250
strip BossKeyStrip 47 291

# --- Sound chooser background: a pale panel with quiet sound waves -------------------------
waves=""
for a in 6 10 14; do
    waves+=" polyline $(awk -v a="$a" 'BEGIN { for (x = 0; x <= 229; x += 4) printf " %d,%.1f", x, 31 + a * sin(x / 18 + a) }')"
done
convert -size 229x62 gradient:"#E2DEF6-#B9B2E2" -fill none -stroke '#FFFFFF70' -strokewidth 1.5 \
    -draw "$waves" -stroke "$DEEP" -strokewidth 1 -draw "rectangle 0,0 228,61" "$work/sound.png"
bmp "$work/sound.png" SoundBackground

# --- Splash: a raven on a branch before the moon, and the name -----------------------------
convert -size 311x415 gradient:"$DARKEST-$BG" -rotate -90 \
    -fill "#D4CEF226" -draw "circle 150,118 150,0" \
    -fill "$MOON" -draw "circle 150,118 150,28" \
    -fill black -draw "translate 20,20 scale 2.7,2.7 path '$RAVEN'" \
    -fill none -stroke '#2C2844' -strokewidth 1.6 -draw "translate 20,20 scale 2.7,2.7 path '$WING'" \
    -stroke none -fill "$GOLD" -draw "translate 20,20 scale 2.7,2.7 circle 73,15 73,16.3" \
    -fill '#2A1E14' -draw "translate 0,20 scale 2.7,2.7 path 'M 0 80 Q 50 76 92 82 L 92 84.5 Q 50 79.5 0 83.5 Z'" \
    -font "$SERIF" -pointsize 44 -fill white -gravity northeast -annotate +22+182 'Corvane' \
    -font "$SANS_BOLD" -pointsize 16 -fill "$GOLD" -annotate +24+236 'Version 2.4' \
    -fill "$LAVENDER" -draw "rectangle 206,264 393,264" \
    -font "$SANS" -pointsize 12 -fill "$LAVENDER" -annotate +24+272 'Privacy guard for your desktop' \
    -pointsize 10 -fill '#9A92CC' -gravity southwest -annotate +10+8 'Tessaly' \
    "$work/splash.png"
bmp "$work/splash.png" Splash RLE

# --- About: the badge, the name and what it does; the web link is drawn over x 225..408, y 136..151
convert -size 217x419 gradient:"$DARKEST-$BG" -rotate -90 \
    -fill '#FFFFFF0C' -draw "circle 95,108 95,0" \
    \( "$work/badge.png" -filter box -resize 150x150 \) -gravity northwest -geometry +20+34 -compose Over -composite \
    -font "$SERIF" -pointsize 30 -fill white -annotate +190+26 'Corvane' \
    -font "$SANS_BOLD" -pointsize 16 -fill "$GOLD" -annotate +345+38 '2.4' \
    -fill "$LAVENDER" -draw "rectangle 192,70 400,70" \
    -font "$SANS" -pointsize 11 -fill "$MOON" \
    -annotate +192+80 'Pop-up blocker, history cleaner' \
    -annotate +192+96 'and Windows hotkey in your tray.' \
    -pointsize 10 -fill "$LAVENDER" -annotate +170+137 'Web:' \
    -pointsize 9 -fill '#9A92CC' -annotate +192+190 'Copyright Tessaly. All rights reserved.' \
    "$work/about.png"
bmp "$work/about.png" About RLE

# --- Button glyphs on the windows' background: 16 x 16, and 24 and 32 for 150% and 200% -----
for scale in 100 150 200; do
    size=$((16 * scale / 100)) suffix=${scale#100}
    convert -size 128x128 xc:"$BG" -fill "$DEEP" -draw "polygon 44,28 44,108 108,68" \
        -fill white -draw "polygon 36,20 36,100 100,60" -filter box -resize "${size}x${size}" "$work/play.png"
    bmp "$work/play.png" "PlayGlyph$suffix"
    convert -size 128x128 xc:"$BG" -fill none -stroke "$DEEP" -strokewidth 20 -draw "polyline 24,72 52,100 110,34" \
        -stroke white -strokewidth 18 -draw "polyline 18,64 46,92 104,26" -filter box -resize "${size}x${size}" "$work/tick.png"
    bmp "$work/tick.png" "SelectGlyph$suffix"
done
