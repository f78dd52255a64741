#!/usr/bin/env python3
"""Draws the application icon: two impedance arcs on a sheet and a minus sign.

Writes a 32 x 32, 16-colour XPM to stdout; convert it to PNG with ImageMagick.
"""
import math

SIZE = 32
colours = {
    ' ': 'None', '.': '#FFFFFF', 'k': '#404040', 'b': '#1F4FBF', 'g': '#2E9E3E',
    'r': '#C8201E', 's': '#D0D0D0',
}
grid = [[' '] * SIZE for _ in range(SIZE)]

# The sheet with a grey edge.
for y in range(2, 30):
    for x in range(3, 29):
        edge = x in (3, 28) or y in (2, 29)
        grid[y][x] = 'k' if edge else '.'
# Axes.
for x in range(5, 27):
    grid[25][x] = 's'
for y in range(6, 26):
    grid[y][5] = 's'


def arc(cx, r, colour):
    for step in range(0, 181):
        a = math.radians(step)
        x = round(cx + r * math.cos(a))
        y = round(25 - r * math.sin(a) * 0.9)
        if 4 < x < 28 and 3 < y < 26:
            grid[y][x] = colour


arc(15, 9, 'b')
arc(13, 6, 'g')
# The minus sign, top right.
for y in (5, 6):
    for x in range(19, 27):
        grid[y][x] = 'r'

print('/* XPM */')
print('static char *odecet[] = {')
print(f'"{SIZE} {SIZE} {len(colours)} 1",')
for key, value in colours.items():
    print(f'"{key} c {value}",')
for row in grid:
    print(f'"{"".join(row)}",')
print('};')
