# cmake -DIN=file -DOUT=file -P crlf.cmake: a copy with Windows line ends.
file(READ ${IN} text)
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUT} "${text}")
