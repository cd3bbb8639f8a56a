#pragma once
// The keys the saver acts on, as the system's virtual-key codes, and which of them the key
// handler of the window procedure gives a meaning of its own.

enum KeyCode {
    KEY_NONE = 0,
    KEY_SPACE = 0x20,      // well back in the middle, camera back at its first distance
    KEY_PAGE_UP = 0x21,    // camera closer
    KEY_PAGE_DOWN = 0x22,  // camera farther
    KEY_END = 0x23,        // pieces drop fast
    KEY_HOME = 0x24,       // pieces drop at normal speed
    KEY_LEFT = 0x25,       // arrows: move the well
    KEY_UP = 0x26,
    KEY_RIGHT = 0x27,
    KEY_DOWN = 0x28,
    KEY_SNAPSHOT = 0x2C,  // given for the hot key 0xBF01
    KEY_0 = 0x30,         // '0'..'9'; '1'..'7' toggle the shown lines
    KEY_1 = 0x31,
    KEY_9 = 0x39,
    KEY_NUMPAD0 = 0x60,  // keypad 0..9; keypad 1..7 toggle the shown lines
    KEY_NUMPAD1 = 0x61,
    KEY_NUMPAD9 = 0x69,
    KEY_ADD = 0x6B,         // keypad +: next headline
    KEY_SUBTRACT = 0x6D,    // keypad -: previous headline
    KEY_DECIMAL = 0x6E,     // keypad point: fetch the news again
    KEY_HOT_KEY_2 = 0x101,  // given for the hot key 0xBF02
};

// Digits, keypad digits and keypad +, - and point: keys of the window procedure's key handler,
// which therefore never end the saver.
inline bool IsKeyHandlerKey(int key) {
    return (key >= KEY_0 && key <= KEY_9) || (key >= KEY_NUMPAD0 && key <= KEY_NUMPAD9) ||
           key == KEY_ADD || key == KEY_SUBTRACT || key == KEY_DECIMAL;
}
