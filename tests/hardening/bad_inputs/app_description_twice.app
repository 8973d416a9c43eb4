!FILE_FORMAT=1
!LANGUAGES
English
!MEMBERS=Entity
A
!DESCRIPTIONS=Entity
A;English;One
A;English;Two
