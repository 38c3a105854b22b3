[playlist]
File2=/b.mp3
Title2=B
File1=x\y.mp3
File1=/a.mp3
NumberOfEntries=2
