// Windows opened by Main and their openers.
