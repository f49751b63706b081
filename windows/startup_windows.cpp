// Windows that Main opens; replaced by the real forms.
