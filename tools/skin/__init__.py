"""The skin's drawing: pixel files, the images and the keyboard picture (used by make_skins.py)."""
