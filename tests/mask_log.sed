# What differs between two runs of one game and is not the game's: the
# source line of each log call (it moves with every edit) and Windows line
# ends.
s/\r$//
s/\(\):[0-9]+:/():_:/
