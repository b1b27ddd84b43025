// setupapi.dll holds no code of its own: its exports are forwarded to hid.dll (setupapi.def).
