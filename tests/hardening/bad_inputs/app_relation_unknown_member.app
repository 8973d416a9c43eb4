!FILE_FORMAT=1
!LANGUAGES
English
!MEMBERS=Entity
A
!HIERARCHIES=Entity
;A
A;Ghost
