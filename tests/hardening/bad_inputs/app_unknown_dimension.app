!FILE_FORMAT=1
!LANGUAGES
English
!MEMBERS=Nowhere
x
