! A number past the largest that VAL or INPUT reads is infinity with its sign and one warning
! (inside a protected part exception 1002), not the NaN that powers of ten past 1E308 made.
PRINT VAL("1E999"); VAL("-1E400"); VAL("1E309"); VAL("-2E308"); VAL(".001E310"); VAL("1E-999")
INPUT x, y
PRINT x; y
WHEN EXCEPTION IN
   PRINT VAL("9E999")
USE
   PRINT "protected:"; EXTYPE
END WHEN
END
