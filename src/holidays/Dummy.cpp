// holidays logic without widgets goes here.
