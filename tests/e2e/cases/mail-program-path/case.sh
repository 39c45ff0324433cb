# ORVEXE without its final separator, in a folder with a blank.
mkdir -p "$run/el meu suite"
cp "$run/suite/"* "$run/el meu suite/"
rm -f "$run/suite/"*
ORVEXE=$(progpath "el meu suite")
