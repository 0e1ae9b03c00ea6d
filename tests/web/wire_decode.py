"""What a 20x4 display shows after the show's bytes, decoded here on its
own from the command table of the display's manual (only the commands the
show sends), to check the page's display model against."""

COLUMNS, ROWS = 20, 4
PREFIX = 0xFE
# command byte: argument count
ARGUMENTS = {0x58: 0, 0x48: 0, 0x44: 0, 0x50: 1, 0x99: 1, 0x55: 1, 0x7E: 1, 0x4F: 0, 0x4E: 9, 0x47: 2}

# The display's start-up string and its clear, as starglow sends them.
STARTUP = bytes.fromhex("FE58FE48FE44FE5078FE99FFFE5508FE7E01FE4F")
CLEAR = bytes.fromhex("FE58")


class Display:
    def __init__(self):
        self.cells = [0x20] * (COLUMNS * ROWS)
        self.glyphs = [[0] * 8 for _ in range(8)]
        self.row = self.column = 0
        self.pending = []

    def feed(self, data):
        for byte in data:
            self.pending.append(byte)
            self._step()

    def _step(self):
        p = self.pending
        if p[0] != PREFIX:
            if self.column < COLUMNS:
                self.cells[self.row * COLUMNS + self.column] = p[0]
                self.column += 1
            p.clear()
            return
        if len(p) < 2:
            return
        if p[1] not in ARGUMENTS:
            raise ValueError("the show never sends command %02X" % p[1])
        if len(p) < 2 + ARGUMENTS[p[1]]:
            return
        command, args = p[1], p[2:]
        if command == 0x58:
            self.cells = [0x20] * (COLUMNS * ROWS)
            self.row = self.column = 0
        elif command == 0x48:
            self.row = self.column = 0
        elif command == 0x4E:
            self.glyphs[args[0] & 7] = list(args[1:9])
        elif command == 0x47:
            self.column, self.row = args[0] - 1, args[1] - 1
        p.clear()
