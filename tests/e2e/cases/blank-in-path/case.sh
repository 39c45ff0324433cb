# A session folder with a blank in its name: the viewer gets the path as one word.
setdir ORVTMP "files/Els meus documents"
