!FILE_FORMAT=1
stray line
