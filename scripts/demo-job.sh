# The yearly job on the demo school, shared by scripts/run and the Windows scripts (sourced,
# not run). demo_job DIR SEP CLI...: with the data directory DIR, whose files are named with
# the separator SEP, the given command line program
#   sets the school, imports GPU002.TXT, transfers it into UVD, gives the subjects Untis names
#   differently the names the statistics accepts (as the administrator would choose them on
#   the subject page), converts classes and subjects and writes UVD.TXT;
#   imports GPU004.TXT and LEHRER.TXT and writes LEHRER_ASD.TXT.
# The Untis exports are expected in DIR/Untis-Export.
demo_job() {
  local dir=$1 sep=$2
  shift 2
  local prog=("$@")
  cli() { "${prog[@]}" "-$dir" "$@"; }
  cli settings --school-form "GY=Gymnasium" --school-number "123456" \
    --school-name "Städtisches Demo-Gymnasium" >/dev/null
  cli import-gpu002 "$dir${sep}Untis-Export${sep}GPU002.TXT"
  cli transfer
  local -A allowed=(
    [AGCH]="MU=Musik" [AGIF]="IF=Informatik" [DF]="D =Deutsch" [EF]="E =Englisch"
    [MF]="M =Mathematik" [MAL1]="M =Mathematik" [MAL2]="M =Mathematik"
  )
  local recno alt rest
  while IFS=, read -r recno alt rest; do
    if [ -n "${allowed[$alt]:-}" ]; then cli set FACH "$recno" FACHNEU "${allowed[$alt]}"; fi
  done < <(cli dump FACH --recno | tail -n +2 | tr -d '\r')
  cli convert-classes
  cli convert-subjects
  cli write-uvd "$dir${sep}UVD.TXT"
  cli import-gpu004 "$dir${sep}Untis-Export${sep}GPU004.TXT"
  cli import-lehrer "$dir${sep}Untis-Export${sep}LEHRER.TXT"
  cli write-lehrer-asd "$dir${sep}LEHRER_ASD.TXT"
}
