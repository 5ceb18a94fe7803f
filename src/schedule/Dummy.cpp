// schedule logic without widgets goes here.
